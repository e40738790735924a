// Figures of the browser page in headless Chromium, with the desktop's drawing of the
// same run timed in the same session as the reference:
//
//   node bench/web-bench.mjs [--slowest] [--json]
//
// - a run at count 1 (the start-up settings), painting as it goes: the first, later ones,
//   and a first run on a page that has not warmed up; at full speed and with the CPU
//   slowed 4× by Chromium (a classroom's laptop); and the longest task until the page was
//   ready, for which input waits;
// - the desktop's BM_WholeRun (build/bench/lumetra_bench), as the reference;
// - the module's memory and the script's heap after 200 runs answered Ne, the colour
//   changing between them;
// - the inspector going from one screen point to the next;
// - the time from navigating to the page until it has answered a click, on a first visit
//   and on a visit served by the service worker;
// - what a visit downloads, as sent and compressed with gzip -9;
// - with --slowest, a run with the scroll bar at its slowest (it lasts over a minute),
//   and the frames the browser paints a second while it lasts.
//
// Build the page (scripts/web-build.sh) and the desktop (scripts/build.sh) first.
import { execFileSync } from 'node:child_process';
import { readdirSync, readFileSync, statSync, mkdtempSync, rmSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
import os from 'node:os';
import path from 'node:path';
import { launch, launchProfile, lumetra, root, run, serve, site, text, visit } from '../web/tests/harness.mjs';

const args = new Set(process.argv.slice(2));
const desktop = process.env.LUMETRA_PICTURE || path.join(root, 'build/web/tests/lumetra_picture');
const desktopBench = process.env.LUMETRA_BENCH || path.join(root, 'build/bench/lumetra_bench');
const repeats = 7;

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const ms = (x) => `${x.toFixed(1)} ms`;

function files(dir, base = dir) {
  return readdirSync(dir).flatMap((name) => {
    const p = path.join(dir, name);
    return statSync(p).isDirectory() ? files(p, base) : [path.relative(base, p)];
  });
}

// The desktop's drawing of the same run, at the same scale: lumetra_picture's whole time,
// less that of starting it and writing its picture with no run.
function desktopRun(scale) {
  const dir = mkdtempSync(path.join(os.tmpdir(), 'lumetra-bench-'));
  const time = (events) => {
    const t0 = process.hrtime.bigint();
    execFileSync(desktop, [String(scale), path.join(dir, 'p.ppm'), ...events]);
    return Number(process.hrtime.bigint() - t0) / 1e6;
  };
  try {
    const bare = [], first = [];
    for (let i = 0; i < repeats; ++i) {
      bare.push(time([]));
      first.push(time(['cmdStart']));
    }
    return median(first) - median(bare);
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

// The desktop's whole first run, Google Benchmark's real time in ms.
function wholeRun() {
  const out = execFileSync(desktopBench, ['--benchmark_filter=BM_WholeRun', '--benchmark_format=json'],
    { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' }, stdio: ['ignore', 'pipe', 'ignore'] });
  return JSON.parse(out).benchmarks[0].real_time;
}

// A fresh page (1280×720 unless told), dpr 1, its main thread slowed `rate` times from before it loads.
async function open(browser, url, rate = 1, viewport = { width: 1280, height: 720 }) {
  const context = await browser.newContext({ viewport, deviceScaleFactor: 1 });
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  if (rate !== 1)
    await cdp.send('Emulation.setCPUThrottlingRate', { rate });
  // the page's long tasks, for the longest one until it is ready
  await page.addInitScript(() => {
    window.longTasks = [];
    new PerformanceObserver((list) => window.longTasks.push(...list.getEntries().map((e) => [e.startTime, e.duration])))
      .observe({ type: 'longtask', buffered: true });
  });
  return { context, cdp, ...await visit(page, url) };
}

// Runs at count 1: the first once the page has warmed up, then later ones answered Ne
// and Ano in turn; and a first run clicked at once on a page that does not warm up.
async function runs(browser, url, rate) {
  const { context, page } = await open(browser, url, rate);
  await page.waitForFunction(() => window.lumetra.warmUpMs !== undefined, null, { timeout: 60000 });
  const warmUp = await page.evaluate(() => window.lumetra.warmUpMs);
  const longestWhileOpening = await page.evaluate(() => {
    const ready = performance.getEntriesByName('lumetra-ready')[0].startTime;
    return Math.max(0, ...window.longTasks.filter(([start]) => start < ready).map(([, duration]) => duration));
  });
  const scale = await page.evaluate(() => window.lumetra.module._lumetra_picture_scale());
  const first = (await run(page)).ms;
  const later = [];
  for (let i = 0; i < repeats; ++i)
    later.push((await run(page, i % 2 ? 'Ano' : 'Ne')).ms);
  await context.close();
  const cold = [];
  for (let i = 0; i < 3; ++i) {
    const fresh = await open(browser, `${url}#no-warm-up`, rate);
    cold.push((await run(fresh.page)).ms);
    await fresh.context.close();
  }
  return { rate, warmUp, first, laterMedian: median(later), laterMax: Math.max(...later), coldFirstMedian: median(cold),
    scale, longestWhileOpening };
}

const figures = {};
const server = await serve();
const browser = await launch();
try {
  {
    const full = await runs(browser, server.url, 1);
    figures.run = { viewport: '1280x720', ...full, desktopFirst: desktopRun(full.scale), desktopWholeRun: wholeRun() };
    figures.throttled = await runs(browser, server.url, 4);
  }

  // a long lesson: 200 runs answered Ne, the colour changing, then what is kept
  {
    const { context, page, cdp } = await open(browser, server.url);
    const colours = ['opČervená', 'opModrá', 'opZelená'];
    await run(page);
    for (let i = 1; i < 200; ++i) {
      await page.click(`#${colours[i % 3]}`);
      await run(page, 'Ne');
    }
    await cdp.send('HeapProfiler.collectGarbage');
    const { usedSize } = await cdp.send('Runtime.getHeapUsage');
    const wasm = await page.evaluate(() => window.lumetra.module.HEAPU8.buffer.byteLength);
    figures.memory = { runs: 200, wasmBytes: wasm, jsHeapBytes: usedSize };
    await context.close();
  }

  // the inspector going from one screen point to the next after a run, maximized on a
  // full-HD screen: the new chain, the panel drawn and handed to its canvas
  {
    const { context, page } = await open(browser, server.url, 1, { width: 1920, height: 1080 });
    await run(page);
    figures.inspectorMove = await page.evaluate(() => {
      const m = window.lumetra.module;
      const p = document.getElementById('picture').getBoundingClientRect();
      const perTwip = m._lumetra_picture_scale() / window.devicePixelRatio;
      const times = [];
      for (let d = 0; d <= 7000; d += 35) {
        const t0 = performance.now();
        m._lumetra_pointer(0, p.left + 5600 * perTwip, p.top + (1000 + d) * perTwip);
        times.push(performance.now() - t0);
      }
      times.sort((a, b) => a - b);
      return { median: times[times.length >> 1], slowest: times[times.length - 1] };
    });
    await context.close();
  }

  // from navigating to an answered click: Červená writes 0.5 into the frequency box
  const answered = async (page) => {
    await page.waitForFunction(() => window.lumetra && window.lumetra.ready, null, { polling: 'raf' });
    // a click where the option is, as the system would send it
    const [x, y] = await page.evaluate(() => {
      const r = document.getElementById('opČervená').getBoundingClientRect();
      return [r.left + r.width / 2, r.top + r.height / 2];
    });
    await page.mouse.click(x, y);
    await page.waitForFunction(() => document.getElementById('nKmitočet').value === '0.5', null, { polling: 'raf' });
    return page.evaluate(() => ({
      answered: performance.now(),
      ready: performance.getEntriesByName('lumetra-ready')[0].startTime,
      bytes: performance.getEntriesByType('resource').reduce((sum, r) => sum + r.transferSize, 0)
        + performance.getEntriesByType('navigation')[0].transferSize,
    }));
  };
  {
    const context = await launchProfile();
    const page = context.pages()[0] || await context.newPage();
    await page.goto(server.url, { waitUntil: 'commit' });
    const firstVisit = await answered(page);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
    const visits = [];
    for (let i = 0; i < repeats; ++i) {
      await page.goto(server.url, { waitUntil: 'commit' });
      visits.push(await answered(page));
    }
    figures.firstInput = { firstVisit: firstVisit.answered, firstVisitReady: firstVisit.ready,
      laterVisitMedian: median(visits.map((v) => v.answered)), sentOnFirstVisit: firstVisit.bytes };
    await context.close();
  }

  // what a visit downloads: every file the service worker keeps
  const list = files(site);
  const raw = list.reduce((sum, f) => sum + statSync(path.join(site, f)).size, 0);
  const gz = list.reduce((sum, f) => sum + gzipSync(readFileSync(path.join(site, f)), { level: 9 }).length, 0);
  figures.download = { files: list.length, bytes: raw, gzipBytes: gz };

  if (args.has('--slowest')) {
    const { context, page } = await open(browser, server.url);
    await page.focus('#HScroll1');
    await page.keyboard.press('End');
    const count = await text(page, 'nSpomalení');
    const ran = run(page);
    // the frames the browser paints meanwhile, over three seconds of the run
    await page.waitForTimeout(1000);
    const painted = await page.evaluate(() => new Promise((resolve) => {
      let frames = 0;
      const start = performance.now();
      const tick = (now) => (now - start < 3000 ? (++frames, requestAnimationFrame(tick)) : resolve(frames / 3));
      requestAnimationFrame(tick);
    }));
    const r = await ran;
    figures.slowest = { count, runMs: r.ms, paintedPerSecond: painted, framesShown: (await lumetra(page)).framesShown };
    await context.close();
  }
} finally {
  await browser.close();
  await server.stop();
}

if (args.has('--json')) {
  console.log(JSON.stringify(figures, null, 2));
} else {
  const r = figures.run;
  for (const t of [r, figures.throttled])
    console.log(`run at count 1 (1280x720, CPU ${t.rate === 1 ? 'at full speed' : `slowed ${t.rate}×`}): `
      + `first ${ms(t.first)} (after the warm-up of ${ms(t.warmUp)}), `
      + `later median ${ms(t.laterMedian)}, slowest of ${repeats} ${ms(t.laterMax)}; `
      + `first run clicked at once with no warm-up ${ms(t.coldFirstMedian)}; `
      + `longest task until the page was ready ${ms(t.longestWhileOpening)}`);
  console.log(`the desktop: BM_WholeRun ${ms(r.desktopWholeRun)}; lumetra_picture's drawing of a first run ${ms(r.desktopFirst)}`);
  const m = figures.memory;
  console.log(`after ${m.runs} runs: WebAssembly memory ${(m.wasmBytes / 2 ** 20).toFixed(1)} MiB, `
    + `script heap ${(m.jsHeapBytes / 2 ** 20).toFixed(1)} MiB`);
  const i = figures.inspectorMove;
  console.log(`inspector, one point to the next (1920x1080): median ${ms(i.median)}, slowest ${ms(i.slowest)}`);
  const f = figures.firstInput;
  console.log(`first answered click: first visit ${ms(f.firstVisit)} (ready at ${ms(f.firstVisitReady)}, `
    + `${(f.sentOnFirstVisit / 1024).toFixed(0)} KiB sent), later visits median ${ms(f.laterVisitMedian)}`);
  const d = figures.download;
  console.log(`download: ${d.files} files, ${(d.bytes / 1024).toFixed(0)} KiB, ${(d.gzipBytes / 1024).toFixed(0)} KiB with gzip -9`);
  if (figures.slowest)
    console.log(`slowest speed (count ${figures.slowest.count}): run ${(figures.slowest.runMs / 1000).toFixed(1)} s, `
      + `${figures.slowest.paintedPerSecond.toFixed(0)} frames painted a second during it`);
}
