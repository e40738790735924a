// The page's tests run it in Debian's headless Chromium, served by Python's http.server
// on a free loopback port, as a user would get it.
import { execFileSync, spawn } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import assert from 'node:assert/strict';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
export const root = path.resolve(here, '../..');
export const site = process.env.LUMETRA_SITE || path.join(root, 'build-web/site');

// Serves the page until stop(); the port is whatever the system had free.
export async function serve(dir = site) {
  assert.ok(existsSync(path.join(dir, 'index.html')), `no page in ${dir}: build it with scripts/web-build.sh`);
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', dir],
    { stdio: ['ignore', 'pipe', 'pipe'] });
  const port = await new Promise((resolve, reject) => {
    let out = '';
    const timer = setTimeout(() => reject(new Error(`http.server did not start: ${out}`)), 10000);
    server.stdout.on('data', (chunk) => {
      out += chunk;
      const m = /port (\d+)/.exec(out);
      if (m) {
        clearTimeout(timer);
        resolve(Number(m[1]));
      }
    });
    server.on('exit', (code) => reject(new Error(`http.server ended (${code}): ${out}`)));
  });
  server.stderr.resume(); // its request log
  return {
    url: `http://127.0.0.1:${port}/`,
    stop: () => new Promise((resolve) => {
      if (server.exitCode !== null || server.signalCode !== null) return resolve();
      server.once('exit', resolve);
      server.kill();
    }),
  };
}

function launchOptions() {
  const executablePath = process.env.LUMETRA_CHROMIUM || '/usr/bin/chromium';
  // Chromium's sandbox refuses to run as root, which CI is
  const args = process.getuid && process.getuid() === 0 ? ['--no-sandbox'] : [];
  return { executablePath, args };
}

export async function launch() {
  return chromium.launch(launchOptions());
}

// A browser with a profile on disk, as a user's, not an incognito one; closing the
// context ends the browser and removes the profile.
export async function launchProfile(options = {}) {
  const dir = mkdtempSync(path.join(os.tmpdir(), 'lumetra-profile-'));
  const context = await chromium.launchPersistentContext(dir, { ...launchOptions(), viewport: { width: 1280, height: 720 }, ...options });
  const close = context.close.bind(context);
  context.close = async () => { await close(); rmSync(dir, { recursive: true, force: true }); };
  return context;
}

// A fresh profile with the page loaded and started. Every message the console shows as
// an error, and every uncaught exception, is kept in `problems`, which must stay empty.
export async function open(browser, url, { width = 1280, height = 720, deviceScaleFactor = 1, hasTouch = false } = {}) {
  const context = await browser.newContext({ viewport: { width, height }, deviceScaleFactor, hasTouch });
  return { context, ...await visit(await context.newPage(), url) };
}

export async function visit(page, url) {
  const problems = [];
  page.on('console', (m) => { if (m.type() === 'error' || m.type() === 'warning') problems.push(`${m.type()}: ${m.text()}`); });
  page.on('pageerror', (e) => problems.push(`exception: ${e.message}`));
  page.on('crash', () => problems.push('the page crashed'));
  await page.goto(url);
  await ready(page);
  return { page, problems };
}

export function ready(page) {
  return page.waitForFunction(() => window.lumetra && window.lumetra.ready, null, { timeout: 15000 });
}

export const lumetra = (page) => page.evaluate(() => {
  const { module, ...state } = window.lumetra;
  return state;
});

export const text = (page, id) => page.evaluate((id) => document.getElementById(id).value, id);
export const shown = (page, id) => page.evaluate((id) => {
  const n = document.getElementById(id);
  return n.checkVisibility ? n.checkVisibility() : n.offsetParent !== null;
}, id);
export const checked = (page, id) => page.evaluate((id) => document.getElementById(id).checked, id);

// Presses Start and, for a run that asks, answers; resolves when the run has ended.
// The page looks for the end itself and calls out when it sees it: Playwright looking
// from outside (at every animation frame, or on a timer) put its own work into the run
// being timed, some milliseconds of it on a slowed-down page.
const runEnded = new WeakMap();
export async function run(page, answer) {
  if (!runEnded.has(page)) {
    runEnded.set(page, null);
    await page.exposeBinding('lumetraRunEnded', () => runEnded.get(page)?.());
  }
  const before = (await lumetra(page)).runs.length;
  let timer;
  const ended = new Promise((resolve, reject) => {
    runEnded.set(page, resolve);
    timer = setTimeout(() => reject(new Error('the run did not end within 120 s')), 120000);
  });
  await page.evaluate((n) => {
    const look = () => (window.lumetra.runs.length > n && !window.lumetra.busy ? window.lumetraRunEnded() : setTimeout(look, 50));
    look();
  }, before);
  try {
    await page.click('#cmdStart');
    if (answer) {
      await page.waitForSelector('#question[open]');
      await page.click(`#${answer}`);
    }
    await ended;
  } finally {
    clearTimeout(timer);
  }
  return (await lumetra(page)).runs.at(-1);
}

// The picture as the page's canvas shows it: RGB bytes, row by row.
export async function shownPicture(page) {
  const { width, height, data } = await page.evaluate(() => {
    const shown = document.getElementById('picture');
    const c = document.createElement('canvas');
    c.width = shown.width;
    c.height = shown.height;
    const copy = c.getContext('2d', { willReadFrequently: true });
    copy.drawImage(shown, 0, 0);
    const rgba = copy.getImageData(0, 0, c.width, c.height).data;
    let s = '';
    for (let i = 0; i < rgba.length; i += 4)
      s += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
    return { width: c.width, height: c.height, data: btoa(s) };
  });
  return { width, height, rgb: Buffer.from(data, 'base64') };
}

export function assertNoProblems(problems) {
  assert.deepEqual(problems, [], 'the browser reported problems');
}

// The desktop's own drawing (its program lumetra_picture), to compare the page's with.
const desktop = process.env.LUMETRA_PICTURE || path.join(root, 'build/web/tests/lumetra_picture');
// where the two maths libraries may round a sine differently
const allowedShare = 0.0001;

export function desktopPicture(scale, events) {
  assert.ok(existsSync(desktop), `no ${desktop}: build the desktop with scripts/build.sh`);
  const dir = mkdtempSync(path.join(os.tmpdir(), 'lumetra-picture-'));
  try {
    const file = path.join(dir, 'picture.ppm');
    execFileSync(desktop, [String(scale), file, ...events]);
    const ppm = readFileSync(file);
    const [, width, height] = /^P6\s+(\d+)\s+(\d+)\s+255\s/.exec(ppm.toString('latin1', 0, 32)) || [];
    const header = ppm.indexOf('255\n') + 4;
    return { width: Number(width), height: Number(height), rgb: ppm.subarray(header) };
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

export function compare(shown, wanted) {
  assert.equal(shown.width, wanted.width, 'picture width');
  assert.equal(shown.height, wanted.height, 'picture height');
  let differing = 0;
  for (let i = 0; i < shown.rgb.length; i += 3)
    if (shown.rgb[i] !== wanted.rgb[i] || shown.rgb[i + 1] !== wanted.rgb[i + 1] || shown.rgb[i + 2] !== wanted.rgb[i + 2])
      ++differing;
  const share = differing / (shown.width * shown.height);
  assert.ok(share <= allowedShare, `${differing} pixels (${(share * 100).toFixed(4)} %) differ from the desktop's`);
  return differing;
}
