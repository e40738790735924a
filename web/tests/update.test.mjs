// A site served for months gets new versions: a page always runs one version whole, is
// told when a newer one is there, and loads it when asked.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { cpSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { assertNoProblems, compare, desktopPicture, launchProfile, ready, run, serve, shownPicture, site, visit } from './harness.mjs';

function files(dir) {
  return readdirSync(dir).flatMap((name) => {
    const p = path.join(dir, name);
    return statSync(p).isDirectory() ? files(p) : [p];
  });
}

// Another build of the site, as the build would stamp it: another version in every file.
function nextVersion(dir, from, to) {
  for (const f of files(dir)) {
    const bytes = readFileSync(f);
    const parts = bytes.toString('latin1').split(from);
    if (parts.length > 1)
      writeFileSync(f, Buffer.from(parts.join(to), 'latin1'));
  }
}

const versions = (page) => page.evaluate(() => window.lumetra.version);

test('a new version is offered, loaded only when asked, and never mixed with the old', async () => {
  const dir = mkdtempSync(path.join(os.tmpdir(), 'lumetra-site-'));
  cpSync(site, dir, { recursive: true });
  const a = /data-version="([0-9a-f]{16})"/.exec(readFileSync(path.join(dir, 'index.html'), 'utf8'))[1];
  const b = [...a].reverse().join('') === a ? 'f'.repeat(16) : [...a].reverse().join('');
  const server = await serve(dir);
  const context = await launchProfile();
  try {
    const { page, problems } = await visit(context.pages()[0] || await context.newPage(), server.url);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 15000 });
    assert.deepEqual(await versions(page), { page: a, module: a });

    // version B in A's place: the page reloaded still runs A whole, and says B is there
    nextVersion(dir, a, b);
    await page.reload();
    await ready(page);
    assert.deepEqual(await versions(page), { page: a, module: a });
    await page.waitForSelector('#update', { state: 'visible', timeout: 20000 });
    assert.equal(await page.textContent('#update p'), 'Je k dispozici nová verze Lumetry.');
    assert.equal(await page.textContent('#reloadNew'), 'Načíst znovu');
    await run(page);
    assert.deepEqual(await versions(page), { page: a, module: a }, 'it never reloads by itself');

    await Promise.all([page.waitForEvent('load'), page.click('#reloadNew')]);
    await ready(page);
    assert.deepEqual(await versions(page), { page: b, module: b });
    assert.equal(await page.isVisible('#update'), false);
    // A's files go once no page runs them
    await page.waitForFunction(async () => !(await caches.keys()).some((k) => /^lumetra-[0-9a-f]{16}$/.test(k)
      && k !== `lumetra-${window.lumetra.version.page}`), null, { timeout: 15000, polling: 200 });

    const scale = await page.evaluate(() => window.lumetra.module._lumetra_picture_scale());
    await run(page);
    compare(await shownPicture(page), desktopPicture(scale, ['cmdStart']));
    assertNoProblems(problems);
  } finally {
    await context.close();
    await server.stop();
    rmSync(dir, { recursive: true, force: true });
  }
});
