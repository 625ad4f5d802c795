// Every vertex of the exported files, posed by their animations as a glTF
// reader does, against the host's own posing of the same mesh: within 1 mm,
// for every animation at several states alone and for all of a file's
// animations at once. Also: a node for every group, every animation the
// vessel has in one of the files, and triangles wound as glTF wants (counter-
// clockwise seen from the side their normals point to).
//     node pose_check.mjs VANTOREL_SIM EXPORT_HOST_POSES
import { spawnSync } from 'node:child_process';
import { exportAll } from './export_files.mjs';
import { apply, readGlb, worldTransforms } from './glb_reader.mjs';

const [sim, hostPoses] = process.argv.slice(2);
const STATES = [0, 0.13, 0.37, 0.5, 0.62, 0.85, 1];
const TOLERANCE_M = 0.001;

// A fixed spread of states for the poses that move everything at once.
let seed = 7;
const nextState = () => ((seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648);

const files = Object.entries(exportAll(sim)).map(([mesh, bytes]) => ({ mesh, glb: readGlb(bytes) }));
const poses = [];
for (const { mesh, glb } of files) {
  const names = glb.json.animations.map((a) => a.name);
  for (const name of names)
    for (const s of STATES) poses.push({ mesh, glb, times: { [name]: s }, what: `${name}=${s}` });
  for (let k = 0; k < 2; k++) {
    const times = Object.fromEntries(names.map((n) => [n, nextState()]));
    poses.push({ mesh, glb, times, what: `all at once #${k + 1}` });
  }
}

const input = poses.map((p) => [p.mesh, ...Object.entries(p.times).map(([n, s]) => `${n}=${s}`)].join(' ')).join('\n');
const run = spawnSync(hostPoses, { input, maxBuffer: 1 << 30 });
if (run.status !== 0) throw new Error(`${hostPoses} failed: ${run.stderr}`);
const host = run.stdout;
let at = 0;
const u32 = () => ((at += 4), host.readUInt32LE(at - 4));

const failures = [];
const exported = new Set();
const animationCount = u32();
const positions = new Map();  // cached POSITION accessors, by file and mesh
for (const { mesh, glb, times, what } of poses) {
  for (const a of glb.json.animations) exported.add(a.name);
  const world = worldTransforms(glb, times);
  const groupNodes = new Map(glb.json.nodes.map((n, i) => [n.extras?.group, i]).filter(([g]) => g !== undefined));
  const groupCount = u32();
  if (groupNodes.size !== groupCount) failures.push(`${mesh}: ${groupNodes.size} group nodes for ${groupCount} groups`);
  let worst = { error: 0 };
  for (let g = 0; g < groupCount; g++) {
    const count = u32();
    const i = groupNodes.get(g), node = glb.json.nodes[i];
    const key = `${mesh}/${node?.mesh}`;
    if (node?.mesh !== undefined && !positions.has(key))
      positions.set(key, glb.accessor(glb.json.meshes[node.mesh].primitives[0].attributes.POSITION));
    const local = positions.get(key) ?? [];
    if (local.length !== count)
      failures.push(`${mesh} group ${g}: ${local.length} vertices exported, ${count} in the mesh`);
    for (let v = 0; v < count; v++, at += 12) {
      if (v >= local.length) continue;
      const want = [host.readFloatLE(at), host.readFloatLE(at + 4), -host.readFloatLE(at + 8)];  // z mirrored
      const got = apply(world[i], local[v]);
      const error = Math.hypot(got[0] - want[0], got[1] - want[1], got[2] - want[2]);
      if (error > worst.error) worst = { error, g, name: node.name, v, got, want };
    }
  }
  if (worst.error > TOLERANCE_M)
    failures.push(`${mesh} ${what}: group ${worst.g} (${worst.name}) vertex ${worst.v} is off by ` +
                  `${(worst.error * 1000).toFixed(2)} mm: glTF ${worst.got.map((x) => x.toFixed(4))}, ` +
                  `host ${worst.want.map((x) => x.toFixed(4))}`);
}
// Winding: the face normal (b - a) x (c - a) on the side of the vertex normals.
// A few sliver triangles at sharp corners of the shipped meshes disagree.
for (const { mesh, glb } of files) {
  let agree = 0, total = 0;
  for (const { primitives: [p] } of glb.json.meshes) {
    const pos = glb.accessor(p.attributes.POSITION), nrm = glb.accessor(p.attributes.NORMAL);
    const idx = glb.indices(p.indices);
    for (let t = 0; t < idx.length; t += 3, total++) {
      const [a, b, c] = [pos[idx[t]], pos[idx[t + 1]], pos[idx[t + 2]]];
      const u = b.map((x, i) => x - a[i]), w = c.map((x, i) => x - a[i]);
      const face = [u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]];
      const sum = [0, 1, 2].map((i) => nrm[idx[t]][i] + nrm[idx[t + 1]][i] + nrm[idx[t + 2]][i]);
      if (face[0] * sum[0] + face[1] * sum[1] + face[2] * sum[2] > 0) agree++;
    }
  }
  if (agree < 0.99 * total) failures.push(`${mesh}: only ${agree} of ${total} triangles face their normals' way`);
}
if (exported.size !== animationCount)
  failures.push(`${exported.size} animations exported, the vessel has ${animationCount}: ${[...exported]}`);
console.log(`${poses.length} poses of ${files.length} files compared, ${exported.size} animations`);
for (const f of failures) console.log(`FAIL ${f}`);
process.exit(failures.length ? 1 : 0);
