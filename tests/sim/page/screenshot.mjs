// Redraws docs/images/flight-page.png: the built-in flight's page at lift-off,
// made with the browser tooling of the page's test.
// Usage: node tests/sim/page/screenshot.mjs [BUILD_DIR] [SECONDS]
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launch, open } from './browser.mjs';

const build = resolve(process.argv[2] ?? 'build/default');
const t = process.argv[3] ?? '26';
const out = resolve(dirname(fileURLToPath(import.meta.url)), '../../../docs/images/flight-page.png');
const dir = mkdtempSync(join(tmpdir(), 'vantorel-page-shot-'));
const html = join(dir, 'f.html');
execFileSync(join(build, 'bin', 'vantorel-sim'), ['fly', '-q', '--html', html], { cwd: dir, stdio: 'ignore' });
const browser = await launch(join(build, 'sim', 'web', 'node_modules'));
try {
  const { page } = await open(browser.context, `${pathToFileURL(html).href}#t=${t}`);
  await page.evaluate(() => document.querySelector('.summary').setAttribute('open', ''));
  await page.waitForTimeout(300);
  await page.screenshot({ path: out });
  console.log(`wrote ${out}`);
} finally {
  await browser.close();
  rmSync(dir, { recursive: true, force: true });
}
