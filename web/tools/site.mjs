// Writes the site from the staged files: their version (made from their contents) over
// the mark that the HTML and the module carry, and the service worker with the list of
// files and that version. The site holds only what is staged.
//
//   node site.mjs stage/ sw.js.in site/ [staged file …]
//
// Given the staged files, only those are taken: what an earlier build left in the stage
// stays out.
import { createHash } from 'node:crypto';
import { mkdirSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import path from 'node:path';

const [stage, template, site, ...given] = process.argv.slice(2);
const mark = Buffer.from('0LUMETRAVERSION0');

function files(dir, base = dir) {
  return readdirSync(dir).flatMap((name) => {
    const p = path.join(dir, name);
    return statSync(p).isDirectory() ? files(p, base) : [path.relative(base, p).split(path.sep).join('/')];
  }).sort();
}

const list = given.length ? given.map((f) => path.relative(stage, path.resolve(f)).split(path.sep).join('/')).sort() : files(stage);
const sums = createHash('sha256');
for (const f of list)
  sums.update(createHash('sha256').update(readFileSync(path.join(stage, f))).digest('hex'));
const version = sums.digest('hex').slice(0, mark.length);

function stamped(bytes) {
  const parts = [];
  let from = 0;
  for (let at = bytes.indexOf(mark); at >= 0; at = bytes.indexOf(mark, from)) {
    parts.push(bytes.subarray(from, at), Buffer.from(version));
    from = at + mark.length;
  }
  parts.push(bytes.subarray(from));
  return Buffer.concat(parts);
}

rmSync(site, { recursive: true, force: true });
for (const f of list) {
  mkdirSync(path.dirname(path.join(site, f)), { recursive: true });
  writeFileSync(path.join(site, f), stamped(readFileSync(path.join(stage, f))));
}
writeFileSync(path.join(site, 'sw.js'), readFileSync(template, 'utf8')
  .replaceAll('@VERSION@', version)
  .replace('@FILES@', list.map((f) => `  './${f}',\n`).join('')));
