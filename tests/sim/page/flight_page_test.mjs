// The flight page in Debian's chromium (headless, software WebGL): it loads
// from file:// with no error and no request beyond file:, data: and blob:,
// draws the aircraft where the chase camera puts it, hides the wheels with the
// gear up, shows the CSV's numbers, and seeks on a milestone click.
// Usage: node flight_page_test.mjs VANTOREL_SIM NODE_MODULES_DIR
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { launch, open } from './browser.mjs';

const [sim, nodeModules] = process.argv.slice(2);
const dir = mkdtempSync(join(tmpdir(), 'vantorel-page-'));
let failures = 0;
function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures++;
}

execFileSync(sim, ['fly', '-q', '--csv', 'f.csv', '--html', 'f.html'], { cwd: dir, stdio: ['ignore', 'ignore', 'inherit'] });
const [header, ...lines] = readFileSync(join(dir, 'f.csv'), 'utf8').trim().split('\n');
const names = header.split(',');
const rows = lines.map((l) => Object.fromEntries(l.split(',').map((v, i) => [names[i], v])));
const flight = JSON.parse(/<script type="application\/json" id="flight-data">(.*?)<\/script>/s.exec(
  readFileSync(join(dir, 'f.html'), 'utf8'))[1]);
const milestone = (kind) => Number(flight.milestones.find((m) => m.kind === kind).t);
const url = pathToFileURL(join(dir, 'f.html')).href;

// A decimal text rounded half away from zero to `shown` decimals, exactly.
function rounded(text, shown) {
  const [whole, frac = ''] = text.replace('-', '').split('.');
  const n = BigInt(whole + frac);
  const step = 10n ** BigInt(frac.length - shown);
  const q = (n + step / 2n) / step;
  const s = q.toString().padStart(shown + 1, '0');
  const body = shown ? `${s.slice(0, -shown)}.${s.slice(-shown)}` : s;
  return (text.startsWith('-') && q !== 0n ? '-' : '') + body;
}
const OVERLAY = [['time', 'time_s', 1, /\(([-0-9.]+) s\)/], ['altitude', 'altitude_m', 0], ['airspeed', 'airspeed_mps', 1],
  ['mach', 'mach', 2], ['vertical_speed', 'vertical_speed_mps', 1], ['fuel', 'fuel_kg', 0], ['throttle', 'throttle', 2],
  ['gear', 'gear_pos', 2], ['flaps', 'flap_pos', 2], ['canopy', 'canopy_pos', 2]];

async function at(context, t) {
  const opened = await open(context, `${url}#t=${t}`);
  await opened.page.waitForFunction((s) => window.vantorelPage.t === s, Number(t));
  return opened;
}

// Orbits the chase camera by a mouse drag until it looks from below.
async function lookFromBelow(page) {
  await page.mouse.move(400, 300);
  await page.mouse.down();
  await page.mouse.move(400, 60, { steps: 8 });
  await page.mouse.up();
  return page.evaluate(() => window.vantorelPage.cameraAbove);
}

const browser = await launch(nodeModules);
try {
  const { page, errors, requests } = await at(browser.context, '5');
  check(errors.length === 0, `no console error (${errors.join(' | ')})`);
  const foreign = requests.filter((u) => !/^(file|data|blob):/.test(u));
  check(foreign.length === 0, `only file:, data: and blob: requests (${foreign.join(' ')})`);
  const shown = await page.evaluate(async () => {
    const c = document.querySelector('.view canvas');
    const image = new Image();
    image.src = window.vantorelPage.snapshot();
    await image.decode();
    const g = Object.assign(document.createElement('canvas'), { width: c.width, height: c.height }).getContext('2d');
    g.drawImage(image, 0, 0);
    const px = g.getImageData(0, 0, c.width, c.height).data;
    const colours = new Set();
    for (let i = 0; i < px.length; i += 4 * 97) colours.add((px[i] << 16) | (px[i + 1] << 8) | px[i + 2]);
    return { colours: colours.size, aircraft: window.vantorelPage.visiblePixels('.'), w: c.width, h: c.height };
  });
  check(shown.colours > 50, `canvas drawn (${shown.colours} colours sampled)`);
  const { count, x, y } = shown.aircraft;
  check(count > 2000 && Math.abs(x / shown.w - 0.5) < 0.15 && Math.abs(y / shown.h - 0.5) < 0.15,
    `aircraft at the view's centre (${count} px around ${x.toFixed(0)},${y.toFixed(0)} of ${shown.w}x${shown.h})`);
  await page.close();

  const wheels = {};
  for (const [kind, t] of [['gear-up', milestone('gear-up') + 1], ['gear-down', milestone('gear-down') + 1]]) {
    const opened = await at(browser.context, t.toFixed(3));
    check((await lookFromBelow(opened.page)) < -5, `${kind}: the drag orbits the camera below the aircraft`);
    wheels[kind] = (await opened.page.evaluate(() => window.vantorelPage.visiblePixels('wheel'))).count;
    await opened.page.close();
  }
  check(wheels['gear-up'] === 0 && wheels['gear-down'] > 100,
    `wheels hidden with the gear up, shown with it down (${wheels['gear-up']} vs ${wheels['gear-down']} px)`);

  for (const index of [300, Math.floor(rows.length / 2) + 7, rows.length - 40]) {
    const row = rows[index];
    const opened = await at(browser.context, row.time_s);
    const texts = await opened.page.evaluate(() =>
      Object.fromEntries([...document.querySelectorAll('.overlay dd')].map((d) => [d.dataset.field, d.textContent])));
    const wrong = OVERLAY.filter(([field, column, digits, pattern]) => {
      const number = (pattern ?? /^(-?[0-9.]+)/).exec(texts[field])?.[1];
      return number !== rounded(row[column], digits);
    }).map(([field, column]) => `${field} '${texts[field]}' vs ${row[column]}`);
    check(wrong.length === 0, `overlay = CSV row at ${row.time_s} s ${wrong.join('; ')}`);
    await opened.page.close();
  }

  const opened = await at(browser.context, '0');
  const target = flight.milestones.find((m) => m.kind === 'touchdown');
  await opened.page.click(`.mark[data-t="${Number(target.t)}"]`);
  const after = await opened.page.evaluate(() => ({ t: window.vantorelPage.t, hash: location.hash }));
  check(after.t === Number(target.t) && after.hash === `#t=${Number(target.t).toFixed(3)}`,
    `touchdown mark seeks to ${target.t} (${after.t}, ${after.hash})`);
  await opened.page.keyboard.press('Space');
  // A loaded machine may draw the next frame late: wait for it, up to a bound.
  const played = await opened.page
    .waitForFunction((t0) => window.vantorelPage.playing && window.vantorelPage.t > t0, after.t, { timeout: 15000 })
    .then(() => true, () => false);
  check(played, 'space plays from there');
} finally {
  await browser.close();
  rmSync(dir, { recursive: true, force: true });
}
process.exit(failures ? 1 : 0);
