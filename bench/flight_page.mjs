// The built-in flight's page in headless chromium with software WebGL at
// 1280x720: its size, its first frame after load, and frames per second
// while it plays at x16. Goals: under 3 MB, within 2 s, at least 30 fps.
// Usage: node bench/flight_page.mjs [BUILD_DIR]   (default build/default)
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { launch, open } from '../tests/sim/page/browser.mjs';

const build = resolve(process.argv[2] ?? 'build/default');
const dir = mkdtempSync(join(tmpdir(), 'vantorel-page-bench-'));
const html = join(dir, 'f.html');
execFileSync(join(build, 'bin', 'vantorel-sim'), ['fly', '-q', '--html', html], { cwd: dir, stdio: 'ignore' });
const size = statSync(html).size;
const browser = await launch(join(build, 'sim', 'web', 'node_modules'));
const firsts = [];
let fps = 0;
let scale = 1;
try {
  for (let run = 0; run < 3; run++) {
    const { page } = await open(browser.context, pathToFileURL(html).href);
    firsts.push(await page.evaluate(() => window.vantorelPage.firstFrameMs));
    if (run === 2) {
      await page.selectOption('.speed', '16');
      await page.keyboard.press('Space');
      await page.waitForTimeout(3000); // the resolution settles
      const before = await page.evaluate(() => [window.vantorelPage.frames, performance.now()]);
      await page.waitForTimeout(4000);
      const after = await page.evaluate(() => [window.vantorelPage.frames, performance.now()]);
      fps = ((after[0] - before[0]) * 1000) / (after[1] - before[1]);
      scale = await page.evaluate(() => window.vantorelPage.renderScale);
    }
    await page.close();
  }
} finally {
  await browser.close();
  rmSync(dir, { recursive: true, force: true });
}
const first = firsts.sort((a, b) => a - b)[1];
const row = (what, figure, goal, ok) => console.log(`${what.padEnd(28)}${figure.padEnd(16)}${goal.padEnd(12)}${ok ? 'pass' : 'falls short'}`);
row('page size', `${(size / 1e6).toFixed(2)} MB`, '< 3 MB', size < 3e6);
row('first frame (median of 3)', `${(first / 1000).toFixed(2)} s`, '<= 2 s', first <= 2000);
row('playback at x16, 1280x720', `${fps.toFixed(1)} fps`, '>= 30 fps', fps >= 30);
console.log(`(drawn at ${scale * 100}% resolution while playing; 100% when paused)`);
