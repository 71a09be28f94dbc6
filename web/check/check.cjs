// The browser check (web/check/run starts it): serves the page, plays a key script in headless
// Chromium and compares the page's picture after N frames with the desktop's headless run:
//   1. the presented back buffer, written by the page as a BMP, byte for byte with --screenshot;
//   2. the canvas's pixels with that BMP's pixels.
// With --measure it also gives the figures: download sizes (gzip), the time to the first picture and
// the CPU share of 30 s of the attract mode.
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const { execFileSync } = require('child_process');
const { chromium } = require('playwright-core');

function options() {
  const o = { measure: false };
  const a = process.argv.slice(2);
  for (let i = 0; i < a.length; ++i) {
    if (a[i] === '--measure') o.measure = true;
    else o[a[i].replace(/^--/, '')] = a[++i];
  }
  for (const k of ['web', 'desktop', 'keys', 'seed', 'frames']) {
    if (!o[k]) throw new Error(`--${k} is missing; run web/check/run instead`);
  }
  o.frames = Number(o.frames);
  return o;
}

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.data': 'application/octet-stream' };

// A static server for the page; counts what it sends.
function serve(dir) {
  const sent = {};
  const server = http.createServer((req, res) => {
    const name = decodeURIComponent(new URL(req.url, 'http://x').pathname).replace(/^\/+/, '') || 'index.html';
    const file = path.join(dir, path.basename(name));
    fs.readFile(file, (err, body) => {
      if (err) { res.writeHead(404); res.end(); return; }
      sent[path.basename(file)] = body.length;
      res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream', 'Cache-Control': 'no-store' });
      res.end(body);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({ server, sent, port: server.address().port })));
}

// The pixels of a 24-bit bottom-up BMP as top-down RGB triples.
function bmpPixels(bytes) {
  if (bytes.length < 54 || bytes[0] !== 0x42 || bytes[1] !== 0x4d) throw new Error('not a BMP');
  const offset = bytes.readUInt32LE(10), width = bytes.readInt32LE(18), height = bytes.readInt32LE(22);
  if (bytes.readUInt16LE(28) !== 24 || height <= 0) throw new Error('not a 24-bit bottom-up BMP');
  const stride = (width * 3 + 3) & ~3;
  const rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    const row = offset + stride * (height - 1 - y);
    for (let x = 0; x < width; ++x) {
      const s = row + 3 * x, d = 3 * (y * width + x);
      rgb[d] = bytes[s + 2]; rgb[d + 1] = bytes[s + 1]; rgb[d + 2] = bytes[s];
    }
  }
  return { width, height, rgb };
}

const chromiumArgs = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required'];

async function launch() {
  // A fresh profile in a folder of our own, removed afterwards.
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'pelloro-chromium-'));
  const context = await chromium.launchPersistentContext(profile, { executablePath: '/usr/bin/chromium', headless: true, args: chromiumArgs });
  return { context, close: async () => { await context.close(); fs.rmSync(profile, { recursive: true, force: true }); } };
}

function watch(page, log) {
  // SDL 2.0.20's audio is a ScriptProcessorNode, which Chromium calls deprecated at every start.
  page.on('console', (m) => { if (!m.text().includes('ScriptProcessorNode')) log.push(`console.${m.type()}: ${m.text()}`); });
  page.on('pageerror', (e) => log.push(`page error: ${e.message}`));
}

// CPU seconds of a process and all its descendants, from /proc.
function treeCpuSeconds(rootPid) {
  const tick = Number(execFileSync('getconf', ['CLK_TCK']).toString().trim());
  const children = {};
  const stats = {};
  for (const d of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(d)) continue;
    try {
      const text = fs.readFileSync(`/proc/${d}/stat`, 'utf8');
      const f = text.slice(text.lastIndexOf(')') + 2).split(' ');
      const ppid = Number(f[1]);
      (children[ppid] = children[ppid] || []).push(Number(d));
      stats[d] = (Number(f[11]) + Number(f[12])) / tick;
    } catch (e) { /* gone meanwhile */ }
  }
  let total = 0;
  const stack = [rootPid];
  while (stack.length) {
    const pid = stack.pop();
    total += stats[pid] || 0;
    for (const c of children[pid] || []) stack.push(c);
  }
  return total;
}

async function main() {
  const o = options();
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'pelloro-web-check-'));
  const started = Date.now();
  let failures = 0;
  const fail = (text) => { failures++; console.error(`web check: FAIL ${text}`); };

  // The desktop's picture.
  const reference = path.join(work, 'desktop.bmp');
  execFileSync(o.desktop, ['--headless', '--seed', o.seed, '--keys', o.keys, '--frames', String(o.frames), '--screenshot', reference],
    { stdio: ['ignore', 'inherit', 'inherit'] });
  const desktopBytes = fs.readFileSync(reference);
  const desktopPicture = bmpPixels(desktopBytes);

  const { server, sent, port } = await serve(o.web);
  const browser = await launch();
  const log = [];
  try {
    const page = await browser.context.newPage();
    watch(page, log);
    const keys = fs.readFileSync(o.keys, 'utf8');
    const url = `http://127.0.0.1:${port}/index.html?seed=${o.seed}&frames=${o.frames}&keys=${encodeURIComponent(keys)}`;
    await page.goto(url);
    // Halfway, the window grows: the page enlarges the picture by the next whole number.
    await page.waitForFunction((n) => window.Module && Module.calledRun && Module._pelloro_frame() >= n,
      Math.floor(o.frames / 2), { timeout: o.frames * 20 * 3 + 30000, polling: 100 });
    const before = await page.evaluate(() => document.getElementById('canvas').width);
    await page.setViewportSize({ width: 1400, height: 1000 });
    // The frames run in real time: 20 ms each.
    await page.waitForFunction((n) => window.Module && Module.calledRun && Module._pelloro_frame() >= n,
      o.frames, { timeout: o.frames * 20 * 3 + 30000, polling: 100 });
    await page.waitForTimeout(200);  // a frame past N would show here
    const result = await page.evaluate(() => {
      const frame = Module._pelloro_frame();
      const ok = Module.ccall('pelloro_save_picture', 'number', ['string'], ['/page.bmp']);
      const bmp = ok ? Array.from(Module.FS.readFile('/page.bmp')) : [];
      const canvas = document.getElementById('canvas');
      const context = canvas.getContext('2d');
      const image = context ? Array.from(context.getImageData(0, 0, canvas.width, canvas.height).data) : [];
      const audio = Module.SDL2 && Module.SDL2.audioContext;
      return {
        frame, bmp, image, width: canvas.width, height: canvas.height,
        firstPictureMs: window.pelloroFirstPictureMs,
        audioState: audio ? audio.state : 'none', audioRate: audio ? audio.sampleRate : 0,
        musicPasses: Module._pelloro_music_passes(),
      };
    });
    if (result.width <= before) fail(`the canvas did not grow with the window (${before} then ${result.width} pixels wide)`);
    if (result.frame !== o.frames) fail(`the page ran ${result.frame} frames, not ${o.frames}`);
    const pageBytes = Buffer.from(result.bmp);
    if (pageBytes.length === 0) fail('the page wrote no picture');
    else if (!pageBytes.equals(desktopBytes)) {
      let at = 0;
      while (at < pageBytes.length && pageBytes[at] === desktopBytes[at]) ++at;
      fail(`the page's back buffer differs from the desktop's screenshot (sizes ${pageBytes.length} and ${desktopBytes.length}, first difference at byte ${at})`);
    }
    if (result.image.length === 0) fail('the canvas has no 2D picture to read');
    else if (result.width % desktopPicture.width || result.height % desktopPicture.height ||
             result.width / desktopPicture.width !== result.height / desktopPicture.height) {
      fail(`the canvas is ${result.width} x ${result.height}, not a whole multiple of the picture's ${desktopPicture.width} x ${desktopPicture.height}`);
    } else {
      // The window enlarges the picture by a whole number: every canvas pixel is one picture pixel's.
      const k = result.width / desktopPicture.width;
      let differ = 0, first = -1;
      for (let y = 0; y < result.height; ++y) {
        for (let x = 0; x < result.width; ++x) {
          const i = y * result.width + x, j = Math.floor(y / k) * desktopPicture.width + Math.floor(x / k);
          for (let c = 0; c < 3; ++c) {
            if (result.image[4 * i + c] !== desktopPicture.rgb[3 * j + c]) { if (first < 0) first = i; differ++; break; }
          }
        }
      }
      if (differ) fail(`${differ} canvas pixels differ from the desktop's picture enlarged ${k} times (the first at x ${first % result.width}, y ${Math.floor(first / result.width)})`);
      result.scale = k;
    }
    console.log(`web check: ${o.frames} frames (seed ${o.seed}, ${path.basename(o.keys)}): back buffer ${pageBytes.equals(desktopBytes) ? 'equal byte for byte' : 'DIFFERENT'}, ` +
      `canvas ${failures ? 'see above' : `equal pixel for pixel (enlarged ${result.scale} times)`}`);
    console.log(`web check: first picture ${result.firstPictureMs.toFixed(0)} ms after the page was asked for; Web Audio ${result.audioState} at ${result.audioRate} Hz; music passes ${result.musicPasses}`);
    if (result.musicPasses <= 0) fail('the music did not play (no sequencer pass ran in Web Audio\'s render step)');

    await player(browser, port, log, fail, () => failures);
    if (o.measure) await measure(o, browser, port, sent, log);
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
  const errors = log.filter((l) => l.startsWith('page error'));
  for (const e of errors) fail(e);
  if (failures) {
    for (const l of log.slice(-20)) console.error(`  ${l}`);
  }
  console.log(`web check: ${failures ? 'FAILED' : 'passed'} in ${((Date.now() - started) / 1000).toFixed(1)} s`);
  process.exit(failures ? 1 : 0);
}

// The player's side: keys from the focused canvas start the game; P pauses and plays on, M mutes, a
// hidden page pauses.
async function player(browser, port, log, fail, failures) {
  const before = failures();
  const page = await browser.context.newPage();
  watch(page, log);
  await page.goto(`http://127.0.0.1:${port}/index.html?seed=5`);
  const frame = () => page.evaluate(() => Module._pelloro_frame());
  const scene = () => page.evaluate(() => { const t = Module.ccall('pelloro_trace', 'string', [], []); return t ? JSON.parse(t).scene : -1; });
  const status = () => page.evaluate(() => document.getElementById('status').textContent);
  await page.waitForFunction(() => window.Module && Module.calledRun && Module._pelloro_frame() > 60, null, { timeout: 30000 });
  await page.click('#canvas');
  if ((await scene()) !== 0) fail(`the page did not start at the title (scene ${await scene()})`);
  await page.keyboard.down('Space');
  await page.waitForTimeout(200);
  await page.keyboard.up('Space');
  await page.waitForTimeout(300);
  if ((await scene()) !== 1) fail(`Space on the canvas did not start the game (scene ${await scene()})`);
  await page.keyboard.press('p');
  await page.waitForTimeout(100);
  const pausedAt = await frame();
  await page.waitForTimeout(500);
  if ((await frame()) !== pausedAt) fail('P did not pause the game');
  if (!(await status()).startsWith('Paused')) fail(`the page does not say it is paused ("${await status()}")`);
  await page.keyboard.press('p');
  await page.waitForTimeout(500);
  const resumed = (await frame()) - pausedAt;
  if (resumed < 15 || resumed > 35) fail(`P did not play on at 50 frames a second (${resumed} frames in 0.5 s)`);
  await page.keyboard.press('m');
  await page.waitForTimeout(200);  // keys reach the game at its next animation callback
  if (!(await status()).includes('Muted')) fail(`M did not mute ("${await status()}")`);
  await page.evaluate(() => {
    Object.defineProperty(document, 'hidden', { value: true, configurable: true });
    Object.defineProperty(document, 'visibilityState', { value: 'hidden', configurable: true });
    document.dispatchEvent(new Event('visibilitychange'));
  });
  if ((await page.evaluate(() => Module._pelloro_paused())) !== 1) fail('a hidden page did not pause');
  if (failures() === before) console.log(`web check: player's keys: Space started the game, P paused and played on (${resumed} frames in 0.5 s), M muted, a hidden page paused`);
  await page.close();
}

async function measure(o, browser, port, sent, log) {
  const gz = (f) => zlib.gzipSync(fs.readFileSync(path.join(o.web, f)), { level: 9 }).length;
  const kb = (n) => `${(n / 1024).toFixed(0)} KB`;
  const files = ['index.html', 'pelloro.js', 'pelloro.wasm', 'pelloro.data'];
  const sizes = Object.fromEntries(files.map((f) => [f, { raw: fs.statSync(path.join(o.web, f)).size, gz: gz(f) }]));
  for (const f of files) console.log(`measure: ${f} ${kb(sizes[f].raw)}, gzip ${kb(sizes[f].gz)}`);
  const all = files.reduce((s, f) => s + sizes[f].gz, 0);
  console.log(`measure: download (gzip) ${kb(all)} with the SoundFont (pelloro.data, ${kb(sizes['pelloro.data'].gz)}), ${kb(all - sizes['pelloro.data'].gz)} without`);

  // Time to the first picture, five fresh loads.
  const times = [];
  for (let i = 0; i < 5; ++i) {
    const page = await browser.context.newPage();
    watch(page, log);
    await page.goto(`http://127.0.0.1:${port}/index.html?seed=1&frames=2&n=${i}`);
    await page.waitForFunction(() => window.pelloroFirstPictureMs !== undefined, null, { timeout: 30000 });
    times.push(await page.evaluate(() => window.pelloroFirstPictureMs));
    await page.close();
  }
  times.sort((a, b) => a - b);
  console.log(`measure: first picture after ${times.map((t) => t.toFixed(0)).join(', ')} ms (median ${times[2].toFixed(0)} ms)`);

  // 30 s of the attract mode, with music: CPU of every Chromium process.
  const page = await browser.context.newPage();
  watch(page, log);
  await page.goto(`http://127.0.0.1:${port}/index.html?demo=1&seed=3`);
  await page.waitForFunction(() => window.Module && Module.calledRun && Module._pelloro_frame() > 50, null, { timeout: 30000 });
  const root = findBrowserPid();
  const cpu0 = treeCpuSeconds(root), t0 = Date.now(), f0 = await page.evaluate(() => Module._pelloro_frame());
  await page.waitForTimeout(30000);
  const cpu1 = treeCpuSeconds(root), t1 = Date.now(), f1 = await page.evaluate(() => Module._pelloro_frame());
  const passes = await page.evaluate(() => Module._pelloro_music_passes());
  const seconds = (t1 - t0) / 1000;
  console.log(`measure: 30 s of the attract mode: ${(f1 - f0)} frames in ${seconds.toFixed(1)} s (${((f1 - f0) / seconds).toFixed(1)} a second), ` +
    `Chromium's processes used ${(cpu1 - cpu0).toFixed(1)} CPU s = ${(100 * (cpu1 - cpu0) / seconds).toFixed(0)} % of one core; music passes ${passes}`);
  await page.close();
}

// Chromium's browser process: the chromium started most recently under this node.
function findBrowserPid() {
  let best = 0;
  for (const d of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(d)) continue;
    try {
      const text = fs.readFileSync(`/proc/${d}/stat`, 'utf8');
      const ppid = Number(text.slice(text.lastIndexOf(')') + 2).split(' ')[1]);
      const cmd = fs.readFileSync(`/proc/${d}/cmdline`, 'utf8');
      if (ppid === process.pid && cmd.includes('chromium')) best = Math.max(best, Number(d));
    } catch (e) { /* gone meanwhile */ }
  }
  return best;
}

main().catch((e) => { console.error(`web check: ${e.message}`); process.exit(1); });
