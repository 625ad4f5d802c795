// The three files `vantorel-sim export` writes, made in a scratch folder.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';

export const MESHES = ['exterior', 'cockpit', 'cockpit-lit'];

// {mesh: bytes} for every mesh; the scratch folder is gone afterwards.
export function exportAll(sim) {
  const dir = mkdtempSync(path.join(os.tmpdir(), 'vantorel-export-'));
  try {
    const out = {};
    for (const mesh of MESHES) {
      const file = path.join(dir, `${mesh}.glb`);
      const args = ['export', '--mesh', mesh, '--out', file];
      execFileSync(path.resolve(sim), args, { cwd: dir, stdio: ['ignore', 'inherit', 'inherit'] });
      out[mesh] = readFileSync(file);
    }
    return out;
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}
