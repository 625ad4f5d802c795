// A short reader of .glb files, independent of the exporter and the host:
// the JSON, float accessors, and the scene's nodes posed by its animations
// sampled as glTF 2.0 specifies (LINEAR: lerp, and slerp for rotations).

export function readGlb(bytes) {
  const u32 = (o) => bytes.readUInt32LE(o);
  if (u32(0) !== 0x46546c67 || u32(4) !== 2) throw new Error('not a glTF 2.0 binary');
  const jsonLength = u32(12);
  const json = JSON.parse(bytes.subarray(20, 20 + jsonLength).toString('utf8'));
  const binStart = 20 + jsonLength + 8;
  const bin = bytes.subarray(binStart, binStart + u32(20 + jsonLength));
  const WIDTH = { SCALAR: 1, VEC3: 3, VEC4: 4 };
  // Accessor i as an array of numbers (SCALAR) or of arrays (VECn); floats only.
  const accessor = (i) => {
    const a = json.accessors[i];
    const view = json.bufferViews[a.bufferView];
    const n = WIDTH[a.type];
    const stride = view.byteStride ?? 4 * n;
    const out = [];
    for (let k = 0; k < a.count; k++) {
      const at = view.byteOffset + (a.byteOffset ?? 0) + k * stride;
      const v = [];
      for (let c = 0; c < n; c++) v.push(bin.readFloatLE(at + 4 * c));
      out.push(n === 1 ? v[0] : v);
    }
    return out;
  };
  // An index accessor (16 or 32 bits) as numbers.
  const indices = (i) => {
    const a = json.accessors[i];
    const at = json.bufferViews[a.bufferView].byteOffset + (a.byteOffset ?? 0);
    const wide = a.componentType === 5125;
    const read = (k) => (wide ? bin.readUInt32LE(at + 4 * k) : bin.readUInt16LE(at + 2 * k));
    return Array.from({ length: a.count }, (_, k) => read(k));
  };
  return { json, accessor, indices };
}

function slerp(a, b, t) {
  let d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
  const s = d < 0 ? -1 : 1;
  d = Math.abs(d);
  if (d > 1 - 1e-12) return a.map((x, i) => x + t * (s * b[i] - x));
  const th = Math.acos(d);
  const ka = Math.sin(th * (1 - t)) / Math.sin(th), kb = (s * Math.sin(th * t)) / Math.sin(th);
  return a.map((x, i) => ka * x + kb * b[i]);
}

function sample(times, values, t, rotation) {
  if (t <= times[0]) return values[0];
  const last = times.length - 1;
  if (t >= times[last]) return values[last];
  let k = 0;
  while (times[k + 1] <= t) k++;
  const u = (t - times[k]) / (times[k + 1] - times[k]);
  return rotation ? slerp(values[k], values[k + 1], u) : values[k].map((x, i) => x + u * (values[k + 1][i] - x));
}

// 3x3 rotation (rows) and translation of a TRS node.
function local(node) {
  const [x, y, z, w] = node.rotation ?? [0, 0, 0, 1];
  const r = [
    [1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)],
    [2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)],
    [2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)],
  ];
  return { r, t: node.translation ?? [0, 0, 0] };
}

export const apply = (m, p) => m.r.map((row, i) => row[0] * p[0] + row[1] * p[1] + row[2] * p[2] + m.t[i]);

function compose(a, b) {
  const r = a.r.map((row) => [0, 1, 2].map((j) => row[0] * b.r[0][j] + row[1] * b.r[1][j] + row[2] * b.r[2][j]));
  return { r, t: apply(a, b.t) };
}

// World transform of every node with the named animations at the given times
// ({name: seconds}); the others leave their nodes at rest.
export function worldTransforms(glb, times) {
  const nodes = glb.json.nodes.map((n) => ({ ...n }));
  for (const anim of glb.json.animations ?? []) {
    if (!(anim.name in times)) continue;
    for (const ch of anim.channels) {
      const s = anim.samplers[ch.sampler];
      const rotation = ch.target.path === 'rotation';
      const value = sample(glb.accessor(s.input), glb.accessor(s.output), times[anim.name], rotation);
      nodes[ch.target.node][ch.target.path] = value;
    }
  }
  const world = new Array(nodes.length);
  const visit = (i, parent) => {
    world[i] = parent ? compose(parent, local(nodes[i])) : local(nodes[i]);
    for (const c of nodes[i].children ?? []) visit(c, world[i]);
  };
  for (const root of glb.json.scenes[glb.json.scene ?? 0].nodes) visit(root, null);
  return world;
}
