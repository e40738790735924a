// The picture's menu in the page: copy, save and full screen, by mouse and keyboard, and
// the Czech report where the browser refuses.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { assertNoProblems, launch, open, run, serve } from './harness.mjs';

let server;
let browser;
before(async () => { server = await serve(); browser = await launch(); });
after(async () => { await browser?.close(); await server?.stop(); });

const entries = (page) => page.$$eval('#menu:not([hidden]) [role=menuitem] .text', (n) => n.map((e) => e.textContent));
const pngSize = (bytes) => [bytes.readUInt32BE(16), bytes.readUInt32BE(20)];

test('the menu copies and saves the picture as a PNG and switches to full screen, by mouse and keyboard', async () => {
  const { context, page, problems } = await open(browser, server.url);
  await context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: server.url });
  await run(page);
  const size = await page.evaluate(() => [document.getElementById('picture').width, document.getElementById('picture').height]);

  await page.mouse.click(300, 400, { button: 'right' });
  assert.deepEqual(await entries(page), ['Kopírovat obrázek', 'Uložit obrázek…', 'Celá obrazovka', 'Přehrát průběh']);
  await page.keyboard.press('Escape');
  assert.deepEqual(await entries(page), []);

  // from the keyboard: the picture, Shift+F10, down to saving
  await page.focus('#picture');
  await page.keyboard.press('Shift+F10');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'menu-copy');
  await page.keyboard.press('ArrowDown');
  const [download] = await Promise.all([page.waitForEvent('download'), page.keyboard.press('Enter')]);
  assert.match(download.suggestedFilename(), /^lumetra-\d{4}-\d\d-\d\d-\d{6}\.png$/);
  const saved = readFileSync(await download.path());
  assert.deepEqual(pngSize(saved), size);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'picture', 'the focus goes back');

  await page.keyboard.press('Control+c');
  await page.waitForFunction(() => window.lumetra.lastCommand === 'copy');
  const copied = await page.evaluate(async () => {
    const [item] = await navigator.clipboard.read();
    const bytes = new Uint8Array(await (await item.getType('image/png')).arrayBuffer());
    return Array.from(bytes.subarray(0, 24));
  });
  assert.deepEqual(pngSize(Buffer.from(copied)), size);

  // the bars as a tone: P on the picture, Escape stops it
  await page.keyboard.press('p');
  await page.waitForFunction(() => window.lumetra.tonesPlayed === 1 && window.lumetra.tonePlaying);
  await page.keyboard.press('Escape');
  assert.equal(await page.evaluate(() => window.lumetra.tonePlaying), false);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'picture', 'Escape stopped the tone, nothing else');

  await page.keyboard.press('F11');
  await page.waitForFunction(() => document.fullscreenElement === document.documentElement);
  await page.keyboard.press('F11');
  await page.waitForFunction(() => document.fullscreenElement === null);
  assert.deepEqual((await page.evaluate(() => window.lumetra.reports)), []);
  assertNoProblems(problems);
  await context.close();
});

test('a copy the browser refuses gets the Czech report, and nothing else changes', async () => {
  const { context, page, problems } = await open(browser, server.url);
  await page.evaluate(() => { navigator.clipboard.write = () => Promise.reject(new DOMException('denied', 'NotAllowedError')); });
  await page.focus('#picture');
  await page.keyboard.press('Control+c');
  await page.waitForSelector('#errorReport[open]');
  assert.match(await page.textContent('#errorReport .message'), /^Obrázek nelze zkopírovat do schránky: prohlížeč to této stránce nedovolil\.$/);
  await page.click('#errorOk');
  assert.equal(await page.evaluate(() => document.getElementById('nMaže').value), '0');
  assertNoProblems(problems);
  await context.close();
});
