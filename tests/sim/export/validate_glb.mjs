// The Khronos glTF validator on the three exported files: any error or
// warning fails; infos and hints are listed (one line per kind) for a reader.
//     node validate_glb.mjs VANTOREL_SIM WEB_DIR
import { createRequire } from 'node:module';
import path from 'node:path';
import { exportAll } from './export_files.mjs';

const [sim, webDir] = process.argv.slice(2);
const validator = createRequire(path.join(path.resolve(webDir), 'package.json'))('gltf-validator');
const SEVERITY = ['error', 'warning', 'info', 'hint'];

let failed = false;
for (const [mesh, bytes] of Object.entries(exportAll(sim))) {
  const report = await validator.validateBytes(new Uint8Array(bytes), { maxIssues: 0 });
  const { numErrors, numWarnings, numInfos, numHints, messages } = report.issues;
  console.log(`${mesh}: ${numErrors} errors, ${numWarnings} warnings, ${numInfos} infos, ${numHints} hints`);
  const kinds = new Map();
  for (const m of messages) {
    const key = `${SEVERITY[m.severity]} ${m.code}`;
    if (!kinds.has(key)) kinds.set(key, { count: 0, first: `${m.pointer ?? ''} ${m.message}` });
    kinds.get(key).count++;
  }
  for (const [key, k] of kinds) console.log(`  ${key} x${k.count}, first: ${k.first}`);
  failed ||= numErrors > 0 || numWarnings > 0;
}
process.exit(failed ? 1 : 0);
