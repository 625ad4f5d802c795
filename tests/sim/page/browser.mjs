// Debian's chromium, headless with software WebGL, driven by playwright-core:
// shared by the flight page's test, its benchmark and its screenshot.
import { createRequire } from 'node:module';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

export async function launch(nodeModules) {
  const { chromium } = createRequire(join(nodeModules, 'noop.js'))('playwright-core');
  const profile = mkdtempSync(join(tmpdir(), 'vantorel-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.VANTOREL_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    viewport: { width: 1280, height: 720 },
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist',
      '--disable-quic', '--no-first-run', '--disable-background-networking', '--disable-component-update',
      '--disable-sync'],
  });
  return { context, close: async () => { await context.close(); rmSync(profile, { recursive: true, force: true }); } };
}

// Opens the page, recording console errors and every request's URL.
export async function open(context, url) {
  const page = await context.newPage();
  const errors = [];
  const requests = [];
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('request', (r) => requests.push(r.url()));
  await page.goto(url);
  await page.waitForFunction(() => window.vantorelPage && window.vantorelPage.frames > 1, null, { timeout: 30000 });
  return { page, errors, requests };
}
