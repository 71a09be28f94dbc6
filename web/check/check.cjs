// The browser check (web/check/run starts it). The page is served by web/serve.py, as a player gets it,
// and driven in headless Chromium:
//   1. determinism at device pixel ratios 1, 1.5, 2 and 3: a long key script the page fetches, played
//      with a fixed seed; after N frames the back buffer equals the desktop's headless --screenshot
//      byte for byte, the canvas equals that picture enlarged by the largest whole scale that fits,
//      and so does what the screen shows (every canvas pixel on one device pixel, centred); the
//      screenshot button saves that picture and its ×3 enlargement;
//   2. the player's keys: Space starts, P pauses and plays on, M mutes, a hidden page pauses;
//   3. a phone (390 × 844 at ratio 3, touch): the controls lie below the picture, beside it after a
//      rotation; a tap starts, the pad walks the squirrel to a nut while the catch button catches it;
//      nothing scrolls or zooms;
//   4. the attract mode hands over at the first key;
//   5. loading: every byte counted, precompressed files sent compressed, and a page missing
//      pelloro.wasm, or a browser without WebAssembly, says so.
// With --measure also the figures: transfer sizes, the first picture on a throttled and an unthrottled
// link, and the CPU share of 30 s of the attract mode.
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const { execFileSync, spawn } = require('child_process');
const { chromium } = require('playwright-core');

function options() {
  const o = { measure: false };
  const a = process.argv.slice(2);
  for (let i = 0; i < a.length; ++i) {
    if (a[i] === '--measure') o.measure = true;
    else o[a[i].replace(/^--/, '')] = a[++i];
  }
  for (const k of ['web', 'desktop', 'keys', 'seed', 'frames', 'serve']) {
    if (!o[k]) throw new Error(`--${k} is missing; run web/check/run instead`);
  }
  o.frames = Number(o.frames);
  return o;
}

// ---- pictures --------------------------------------------------------------------------------------

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

// An 8-bit RGB or RGBA PNG (what Chromium writes) as RGB triples.
function pngPixels(bytes) {
  if (bytes.readUInt32BE(0) !== 0x89504e47) throw new Error('not a PNG');
  let at = 8, width = 0, height = 0, type = 0;
  const data = [];
  while (at + 8 <= bytes.length) {
    const length = bytes.readUInt32BE(at), kind = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (kind === 'IHDR') {
      width = body.readUInt32BE(0); height = body.readUInt32BE(4); type = body[9];
      if (body[8] !== 8 || (type !== 2 && type !== 6) || body[12] !== 0) throw new Error('not an 8-bit RGB(A) PNG');
    } else if (kind === 'IDAT') data.push(body);
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const bpp = type === 6 ? 4 : 3, stride = width * bpp;
  const out = Buffer.alloc(width * height * bpp), rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; ++i) {
      const a = i >= bpp ? out[y * stride + i - bpp] : 0, b = y ? out[(y - 1) * stride + i] : 0;
      const c = i >= bpp && y ? out[(y - 1) * stride + i - bpp] : 0;
      let v = line[i];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) { const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c); v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c; }
      out[y * stride + i] = v & 255;
    }
  }
  for (let i = 0; i < width * height; ++i) for (let ch = 0; ch < 3; ++ch) rgb[3 * i + ch] = out[bpp * i + ch];
  return { width, height, rgb };
}

// Pixels of `image` (RGB, or RGBA when `channels` is 4) in the rectangle at (x0, y0) that differ from
// `picture` enlarged k times; the first one's place.
function differences(image, imageWidth, channels, x0, y0, picture, k) {
  let count = 0, first = null;
  for (let y = 0; y < picture.height * k; ++y) {
    for (let x = 0; x < picture.width * k; ++x) {
      const i = channels * ((y0 + y) * imageWidth + x0 + x), j = 3 * (Math.floor(y / k) * picture.width + Math.floor(x / k));
      if (image[i] !== picture.rgb[j] || image[i + 1] !== picture.rgb[j + 1] || image[i + 2] !== picture.rgb[j + 2]) {
        if (!first) first = `x ${x}, y ${y}`;
        ++count;
      }
    }
  }
  return { count, first };
}

// ---- the server and the browser ----------------------------------------------------------------------

// web/serve.py on a folder of its own: the build's files (some left out) and extra files.
async function serveCopy(o, work, name, { leaveOut = [], extra = {} } = {}) {
  const dir = path.join(work, name);
  fs.mkdirSync(dir);
  for (const f of fs.readdirSync(o.web)) {
    if (!leaveOut.some((l) => f.startsWith(l))) fs.symlinkSync(path.join(o.web, f), path.join(dir, f));
  }
  for (const [f, text] of Object.entries(extra)) fs.writeFileSync(path.join(dir, f), text);
  const child = spawn('python3', [o.serve, dir, '--port', '0', '--quiet'], { stdio: ['ignore', 'pipe', 'inherit'] });
  const url = await new Promise((resolve, reject) => {
    let text = '';
    child.stdout.on('data', (d) => {
      text += d;
      const m = /serving (http:\/\/\S+)/.exec(text);
      if (m) resolve(m[1]);
    });
    child.on('exit', (code) => reject(new Error(`web/serve.py ended (${code}) before serving`)));
  });
  return { url, stop: () => child.kill() };
}

function get(url, headers) {
  return new Promise((resolve, reject) => {
    http.get(url, { headers }, (res) => {
      const chunks = [];
      res.on('data', (c) => chunks.push(c));
      res.on('end', () => resolve({ status: res.statusCode, headers: res.headers, body: Buffer.concat(chunks) }));
    }).on('error', reject);
  });
}

const chromiumArgs = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required',
  // Pages side by side all run their frames, none is put to sleep as a background tab.
  '--disable-background-timer-throttling', '--disable-renderer-backgrounding', '--disable-backgrounding-occluded-windows'];

function watch(page, log, tag) {
  // SDL 2.0.20's audio is a ScriptProcessorNode, which Chromium calls deprecated at every start.
  page.on('console', (m) => { if (!m.text().includes('ScriptProcessorNode')) log.push(`${tag} console.${m.type()}: ${m.text()}`); });
  page.on('pageerror', (e) => log.push(`${tag} page error: ${e.message}`));
}

const running = (n) => window.Module && Module.calledRun && Module._pelloro_frame() >= n;
const frameWait = (frames) => ({ timeout: frames * 20 * 4 + 60000, polling: 100 });

// A key script longer than a page address may be: the start, then from frame 300 two keys of seven
// (the arrows, Space, B, Enter) change every frame, so that the squirrel wanders, catches and misses.
function longKeyScript(base, frames) {
  let seed = 12345;
  const random = (n) => { seed = (seed * 1103515245 + 12345) >>> 0; return (seed >>> 8) % n; };
  const lines = base.split('\n').filter((l) => /^\d+ /.test(l) && Number(l.split(' ')[0]) < 300);
  const keys = ['Left', 'Right', 'Up', 'Down', 'Space', 'B', 'Return'];
  const down = new Set();
  for (let f = 300; f < frames - 2; ++f) {
    for (let n = 0; n < 2; ++n) {
      const key = keys[random(keys.length)];
      lines.push(`${f} ${key} ${down.has(key) ? 'up' : 'down'}`);
      if (down.has(key)) down.delete(key); else down.add(key);
    }
  }
  for (const key of down) lines.push(`${frames - 2} ${key} up`);
  return '# The browser check\'s long key script\n' + lines.join('\n') + '\n';
}

// ---- 1. determinism at several device pixel ratios ---------------------------------------------------

// Windows where the picture is enlarged twice (three times once the first window grows): small
// canvases keep four pages playing side by side cheap.
const ratios = [
  { ratio: 1, viewport: { width: 700, height: 600 }, grow: { width: 1000, height: 820 } },
  { ratio: 1.5, viewport: { width: 500, height: 420 } },
  { ratio: 2, viewport: { width: 400, height: 330 } },
  { ratio: 3, viewport: { width: 300, height: 250 } },
];

// The page's clock runs three times as fast: its frames stay the same frames, sooner.
function quickClock() {
  const now = performance.now.bind(performance), start = now();
  performance.now = () => start + 3 * (now() - start);
}

async function determinism(o, browser, server, reference, fail) {
  let turn = Promise.resolve();
  const results = await Promise.all(ratios.map(async (r) => {
    const context = await browser.newContext({ viewport: r.viewport, deviceScaleFactor: r.ratio, acceptDownloads: true });
    const page = await context.newPage();
    await page.addInitScript(quickClock);
    watch(page, o.log, `ratio ${r.ratio}`);
    try {
      await page.goto(`${server.url}index.html?seed=${o.seed}&frames=${o.frames}&keys=keys.txt`);
      if (r.grow) {
        // Halfway the window grows: the picture follows by whole numbers.
        await page.waitForFunction(running, Math.floor(o.frames / 2), frameWait(o.frames));
        r.before = await page.evaluate(() => document.getElementById('canvas').width);
        await page.setViewportSize(r.grow);
      }
      await page.waitForFunction(running, o.frames, frameWait(o.frames));
      // The pages play side by side but are looked at one by one: a screenshot wants the machine.
      const previous = turn;
      let done;
      turn = new Promise((resolve) => { done = resolve; });
      await previous;
      try {
        return await inspect(r, page);
      } finally {
        done();
      }
    } finally {
      await context.close();
    }
  }));
  async function inspect(r, page) {
    {
      await page.waitForTimeout(200);  // a frame past N would show here
      const shown = await page.evaluate(() => {
        const canvas = document.getElementById('canvas');
        const rect = canvas.getBoundingClientRect();
        const ok = Module.ccall('pelloro_save_picture', 'number', ['string'], ['/page.bmp']);
        return {
          frame: Module._pelloro_frame(),
          bmp: ok ? Array.from(Module.FS.readFile('/page.bmp')) : [],
          image: Array.from(canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data),
          width: canvas.width, height: canvas.height, ratio: devicePixelRatio,
          rect: { x: rect.x, y: rect.y, width: rect.width, height: rect.height },
          viewport: { width: document.documentElement.clientWidth, height: document.documentElement.clientHeight },
          loaded: window.pelloroPage.loadedBytes,
        };
      });
      const problems = [];
      if (shown.frame !== o.frames) problems.push(`the page ran ${shown.frame} frames, not ${o.frames}`);
      if (r.grow && shown.width <= r.before) problems.push(`the canvas did not grow with the window (${r.before} then ${shown.width} pixels wide)`);
      const pageBmp = Buffer.from(shown.bmp);
      if (!pageBmp.equals(reference.bytes)) problems.push(`the back buffer differs from the desktop's screenshot (${pageBmp.length} and ${reference.bytes.length} bytes)`);
      const k = shown.width / reference.picture.width;
      if (!Number.isInteger(k) || k < 1 || shown.height !== k * reference.picture.height) {
        problems.push(`the canvas is ${shown.width} x ${shown.height}, not a whole multiple of the picture`);
        return { r, problems };
      }
      // The largest whole scale: one more would not fit the window.
      const vw = shown.viewport.width * r.ratio, vh = shown.viewport.height * r.ratio;
      if (320 * (k + 1) <= vw && 240 * (k + 1) <= vh - 80 * r.ratio) problems.push(`the picture is enlarged ${k} times where ${k + 1} fit the window`);
      // One canvas pixel per device pixel, on device pixel edges, centred across.
      const dx = shown.rect.x * r.ratio, dy = shown.rect.y * r.ratio;
      if (Math.abs(shown.rect.width * r.ratio - shown.width) > 0.05 || Math.abs(shown.rect.height * r.ratio - shown.height) > 0.05 ||
          Math.abs(dx - Math.round(dx)) > 0.05 || Math.abs(dy - Math.round(dy)) > 0.05) {
        problems.push(`the canvas of ${shown.width} x ${shown.height} is shown at ${(shown.rect.width * r.ratio).toFixed(2)} x ${(shown.rect.height * r.ratio).toFixed(2)} device pixels from (${dx.toFixed(2)}, ${dy.toFixed(2)})`);
      }
      const left = Math.round(dx), right = vw - Math.round(dx) - shown.width;
      if (Math.abs(left - right) > 1) problems.push(`the picture is not centred (${left} device pixels on the left, ${right} on the right)`);
      const canvasDiff = differences(shown.image, shown.width, 4, 0, 0, reference.picture, k);
      if (canvasDiff.count) problems.push(`${canvasDiff.count} canvas pixels differ from the desktop's picture enlarged ${k} times (the first at ${canvasDiff.first})`);
      // What the screen shows, in device pixels.
      const screen = pngPixels(await page.screenshot({ scale: 'device', timeout: 90000 }));
      const screenDiff = differences(screen.rgb, screen.width, 3, Math.round(dx), Math.round(dy), reference.picture, k);
      if (screenDiff.count) problems.push(`${screenDiff.count} pixels on the screen differ from the desktop's picture enlarged ${k} times (the first at ${screenDiff.first}): blurred or shifted`);
      if (r.ratio === 3 || r.ratio === 1.5) fs.writeFileSync(path.join(o.shots, `ratio-${r.ratio}.png`), await page.screenshot());
      // The screenshot button: the picture and its ×3 enlargement as PNG.
      if (r.ratio === 2) {
        const downloads = [];
        page.on('download', (d) => downloads.push(d));
        await page.click('#shot');
        await page.waitForFunction(() => /Saved/.test(document.getElementById('status').textContent), null, { timeout: 10000 });
        for (let i = 0; i < 50 && downloads.length < 2; ++i) await page.waitForTimeout(100);
        const saved = {};
        for (const d of downloads) saved[d.suggestedFilename()] = pngPixels(fs.readFileSync(await d.path()));
        const names = Object.keys(saved).sort();
        const small = names.find((n) => !n.endsWith('-x3.png')), big = names.find((n) => n.endsWith('-x3.png'));
        if (!small || !big || !/^pelloro-\d{8}-\d{6}\.png$/.test(small)) {
          problems.push(`the screenshot button saved ${JSON.stringify(names)}, not pelloro-STAMP.png and pelloro-STAMP-x3.png`);
        } else {
          const a = saved[small], b = saved[big];
          if (a.width !== 320 || a.height !== 240 || differences(a.rgb, 320, 3, 0, 0, reference.picture, 1).count) problems.push(`${small} is not the game's picture`);
          if (b.width !== 960 || b.height !== 720 || differences(b.rgb, 960, 3, 0, 0, reference.picture, 3).count) problems.push(`${big} is not the picture enlarged 3 times`);
          r.screenshot = `${small} and ${big}`;
        }
      }
      return { r, problems, k, loaded: shown.loaded };
    }
  }
  for (const { r, problems } of results) for (const p of problems) fail(`at device pixel ratio ${r.ratio}: ${p}`);
  const fine = results.filter((x) => !x.problems.length);
  if (fine.length) {
    console.log(`web check: ${o.frames} frames of a ${o.keyBytes}-byte key script (seed ${o.seed}) equal the desktop's byte for byte, canvas and screen ` +
      `pixel for pixel, at ${fine.map((x) => `ratio ${x.r.ratio} (×${x.k})`).join(', ')}`);
  }
  const shot = results.find((x) => x.r.screenshot);
  if (shot) console.log(`web check: the screenshot button saved ${shot.r.screenshot}`);
  return results;
}

// ---- 2. the player's keys ----------------------------------------------------------------------------

async function player(o, browser, server, fail) {
  const failures = o.failures();
  const context = await browser.newContext({ viewport: { width: 800, height: 600 } });
  const page = await context.newPage();
  watch(page, o.log, 'player');
  await page.goto(`${server.url}index.html?seed=5`);
  const frame = () => page.evaluate(() => Module._pelloro_frame());
  const scene = () => page.evaluate(() => { const t = Module.ccall('pelloro_trace', 'string', [], []); return t ? JSON.parse(t).scene : -1; });
  const status = () => page.evaluate(() => document.getElementById('status').textContent);
  await page.waitForFunction(running, 60, frameWait(60));
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
  // F12, the game's own screenshot key: the picture offered as a PNG download, as the button does.
  const downloads = [];
  page.on('download', (d) => downloads.push(d));
  await page.keyboard.press('F12');
  for (let i = 0; i < 50 && !downloads.length; ++i) await page.waitForTimeout(100);
  let f12 = '';
  if (!downloads.length) {
    fail('F12 offered no picture to download');
  } else {
    const png = pngPixels(fs.readFileSync(await downloads[0].path()));
    const colours = new Set();
    for (let i = 0; i < png.rgb.length; i += 3) colours.add((png.rgb[i] << 16) | (png.rgb[i + 1] << 8) | png.rgb[i + 2]);
    f12 = `${downloads[0].suggestedFilename()}, ${png.width} x ${png.height} in ${colours.size} colours`;
    if (png.width % 320 || png.height !== png.width * 3 / 4 || colours.size < 16) fail(`F12 saved ${f12}, not the game's picture`);
  }
  // Full screen by the button, and out again by Alt+Enter.
  await page.click('#full');
  await page.waitForTimeout(300);
  const full = await page.evaluate(() => !!document.fullscreenElement);
  await page.keyboard.press('Alt+Enter');
  await page.waitForTimeout(300);
  const left = await page.evaluate(() => !document.fullscreenElement);
  if (!full || !left) fail(`full screen: the button ${full ? 'entered' : 'did not enter'} it, Alt+Enter ${left ? 'left' : 'did not leave'} it`);
  await page.evaluate(() => {
    Object.defineProperty(document, 'hidden', { value: true, configurable: true });
    Object.defineProperty(document, 'visibilityState', { value: 'hidden', configurable: true });
    document.dispatchEvent(new Event('visibilitychange'));
  });
  if ((await page.evaluate(() => Module._pelloro_paused())) !== 1) fail('a hidden page did not pause');
  if (o.failures() === failures) {
    console.log(`web check: player's keys: Space started the game, P paused and played on (${resumed} frames in 0.5 s), M muted, ` +
      `F12 saved ${f12}, the button and Alt+Enter entered and left full screen, a hidden page paused`);
  }
  await context.close();
}

// ---- 3. a phone --------------------------------------------------------------------------------------

// Touches through Chromium's own touch input: every call gives all fingers now down.
class Fingers {
  constructor(session) { this.session = session; this.down = new Map(); }
  async send(type) {
    const touchPoints = [...this.down].map(([id, p]) => ({ x: p.x, y: p.y, id, radiusX: 4, radiusY: 4, force: 1 }));
    await this.session.send('Input.dispatchTouchEvent', { type, touchPoints });
  }
  async press(id, x, y) { this.down.set(id, { x, y }); await this.send('touchStart'); }
  async move(id, x, y) { this.down.set(id, { x, y }); await this.send('touchMove'); }
  // A finger lifted while others stay is a move of those others; the last one lifted ends the touch.
  async lift(id) { this.down.delete(id); await this.send(this.down.size ? 'touchMove' : 'touchEnd'); }
}

async function phone(o, browser, server, fail) {
  const failures = o.failures();
  const context = await browser.newContext({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
  const page = await context.newPage();
  watch(page, o.log, 'phone');
  const session = await context.newCDPSession(page);
  const fingers = new Fingers(session);
  await page.goto(`${server.url}index.html?seed=11`);
  await page.waitForFunction(running, 60, frameWait(60));
  const trace = () => page.evaluate(() => { const t = Module.ccall('pelloro_trace', 'string', [], []); return t ? JSON.parse(t) : null; });
  const box = (id) => page.evaluate((i) => { const r = document.getElementById(i).getBoundingClientRect(); return { x: r.x, y: r.y, w: r.width, h: r.height }; }, id);
  const centre = (b) => ({ x: b.x + b.w / 2, y: b.y + b.h / 2 });
  const meets = (a, b) => a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
  const inside = (a, vw, vh) => a.x >= 0 && a.y >= 0 && a.x + a.w <= vw + 0.5 && a.y + a.h <= vh + 0.5;

  // Portrait: the picture at the top, the pad and the button below it.
  let canvas = await box('canvas'), pad = await box('pad'), button = await box('catch');
  const scale = await page.evaluate(() => document.getElementById('canvas').width / 320);
  if (scale !== 3) fail(`in portrait the phone's picture is enlarged ${scale} times, not 3 (1170 device pixels across)`);
  for (const [name, b] of [['pad', pad], ['catch button', button]]) {
    if (!b.w || meets(b, canvas) || !inside(b, 390, 844) || b.y < canvas.y + canvas.h) fail(`in portrait the ${name} is not below the picture: ${JSON.stringify(b)}, picture ${JSON.stringify(canvas)}`);
  }
  fs.writeFileSync(path.join(o.shots, 'phone-portrait.png'), await page.screenshot());

  // A tap on the title starts.
  const c = centre(canvas);
  await fingers.press(1, c.x, c.y);
  await page.waitForTimeout(30);
  await fingers.lift(1);
  await page.waitForTimeout(400);
  let t = await trace();
  if (!t || t.scene !== 1) fail(`a tap on the title did not start the game (scene ${t && t.scene})`);

  // The pad walks the squirrel to a landed nut; the catch button, pressed by a second finger while the
  // first still walks, catches it.
  await page.waitForFunction(() => {
    const t = JSON.parse(Module.ccall('pelloro_trace', 'string', [], []) || 'null');
    return t && t.scene === 1 && t.phase === 3 && t.slots.some((s, i) => i < t.fall && s.visible && !s.falling && !s.caught);
  }, null, { timeout: 20000, polling: 100 });
  t = await trace();
  const slot = t.slots.findIndex((s, i) => i < t.fall && s.visible && !s.falling && !s.caught);
  const nut = t.slots[slot];
  const caughtBefore = t.caughtCount;
  const p = centre(pad), reach = pad.w * 0.4;
  const dirs = { left: [-reach, 0], right: [reach, 0], up: [0, -reach], down: [0, reach], still: [0, 0] };
  let fingerDown = false;
  const steer = async (dir) => {
    const [dx, dy] = dirs[dir];
    if (!fingerDown) { await fingers.press(2, p.x + dx, p.y + dy); fingerDown = true; } else await fingers.move(2, p.x + dx, p.y + dy);
  };
  // The catch box (±8 around the squirrel's point) must meet the nut's 32 × 32 cell.
  const near = (v, edge) => v >= edge - 8 && v <= edge + 32 + 8;
  let caught = false;
  for (let step = 0; step < 200 && !caught; ++step) {
    t = await trace();
    if (!t || t.scene !== 1) break;
    if (t.caughtCount > caughtBefore) { caught = true; break; }
    const nowNut = t.slots[slot];
    if (nowNut.caught || !nowNut.visible) break;
    if (!near(t.y, nut.groundY)) await steer(t.y < nut.groundY ? 'down' : 'up');
    else if (!near(t.x, nut.x)) await steer(t.x < nut.x ? 'right' : 'left');
    else {
      // Still walking across the nut, the second finger catches.
      await steer(t.x < nut.x + 16 ? 'right' : 'left');
      await fingers.press(3, centre(button).x, centre(button).y);
      await page.waitForTimeout(40);
      await fingers.lift(3);
      await page.waitForTimeout(150);
    }
    await page.waitForTimeout(40);
  }
  if (fingerDown) await fingers.lift(2);
  await page.waitForTimeout(200);
  t = await trace();
  if (t && t.caughtCount > caughtBefore) caught = true;
  if (!caught) fail(`touch did not walk the squirrel to the nut at ${nut.x}, ${nut.groundY} and catch it (squirrel at ${t && t.x}, ${t && t.y})`);

  // A swipe and a double tap beside the controls move and zoom nothing.
  await fingers.press(4, 200, 700);
  for (let y = 690; y > 400; y -= 30) await fingers.move(4, 200, y);
  await fingers.lift(4);
  for (let i = 0; i < 2; ++i) { await fingers.press(5, 195, 760); await fingers.lift(5); await page.waitForTimeout(60); }
  await page.waitForTimeout(400);
  const view = await page.evaluate(() => ({ scrollY, scale: visualViewport.scale, top: visualViewport.offsetTop }));
  if (view.scrollY !== 0 || view.scale !== 1 || view.top !== 0) fail(`the page scrolled or zoomed under touch (${JSON.stringify(view)})`);

  // Rotated: the picture larger, the pad on its left and the button on its right.
  await page.setViewportSize({ width: 844, height: 390 });
  await page.waitForTimeout(300);
  canvas = await box('canvas'); pad = await box('pad'); button = await box('catch');
  const wide = await page.evaluate(() => document.getElementById('canvas').width / 320);
  if (wide <= scale) fail(`after the rotation the picture is enlarged ${wide} times, not more than ${scale}`);
  if (meets(pad, canvas) || meets(button, canvas) || pad.x + pad.w > canvas.x || button.x < canvas.x + canvas.w || !inside(pad, 844, 390) || !inside(button, 844, 390)) {
    fail(`in landscape the pad and the button are not beside the picture: pad ${JSON.stringify(pad)}, button ${JSON.stringify(button)}, picture ${JSON.stringify(canvas)}`);
  }
  fs.writeFileSync(path.join(o.shots, 'phone-landscape.png'), await page.screenshot());
  const awake = await page.evaluate(() => window.pelloroPage.wakeLock);
  if (o.failures() === failures) {
    console.log(`web check: phone 390 x 844 at ratio 3: picture ×${scale} with the controls below, ×${wide} beside them when rotated; ` +
      `a tap started, the pad walked the squirrel to nut ${slot} and the catch button caught it; no scroll or zoom` +
      `${awake ? '; the screen is kept awake' : ' (this Chromium grants no wake lock)'}`);
  }
  await context.close();
}

// ---- 4. the attract mode hands over ------------------------------------------------------------------

async function handOver(o, browser, server, fail) {
  const context = await browser.newContext({ viewport: { width: 800, height: 600 } });
  const page = await context.newPage();
  watch(page, o.log, 'demo');
  await page.goto(`${server.url}index.html?demo=1&seed=3`);
  const scene = () => page.evaluate(() => { const t = Module.ccall('pelloro_trace', 'string', [], []); return t ? JSON.parse(t).scene : -1; });
  // The pilot starts a game by itself.
  await page.waitForFunction(() => {
    const t = window.Module && Module.calledRun && Module.ccall('pelloro_trace', 'string', [], []);
    return t && JSON.parse(t).scene === 1;
  }, null, { timeout: 30000, polling: 100 });
  await page.focus('#canvas');
  await page.keyboard.press('ArrowLeft');
  await page.waitForTimeout(1500);
  const after = await scene();
  if (after !== 0) fail(`the attract mode did not hand over at a key: scene ${after}, not the title, 1.5 s later`);
  else {
    await page.keyboard.down('Space');
    await page.waitForTimeout(100);
    await page.keyboard.up('Space');
    await page.waitForTimeout(300);
    const played = await scene();
    if (played !== 1) fail(`after the hand-over Space did not start the player's game (scene ${played})`);
    else console.log('web check: the attract mode handed over at a key, and Space started the player\'s game');
  }
  await context.close();
}

// ---- 5. loading --------------------------------------------------------------------------------------

async function loading(o, browser, server, work, results, fail) {
  // Every byte the page loads is counted.
  const total = ['pelloro.js', 'pelloro.wasm', 'pelloro.data'].reduce((s, f) => s + fs.statSync(path.join(o.web, f)).size, 0);
  for (const { r, loaded } of results) {
    if (loaded !== undefined && loaded !== total) fail(`at ratio ${r.ratio} the progress counted ${loaded} bytes of the ${total} loaded`);
  }
  // Compressed files are sent compressed, and only to a browser that takes them.
  const packed = await get(`${server.url}pelloro.wasm`, { 'Accept-Encoding': 'gzip, deflate' });
  const plain = await get(`${server.url}pelloro.wasm`, {});
  const wasm = fs.readFileSync(path.join(o.web, 'pelloro.wasm'));
  if (packed.headers['content-encoding'] !== 'gzip' || !zlib.gunzipSync(packed.body).equals(wasm)) fail('web/serve.py did not send pelloro.wasm gzipped to a browser that takes gzip');
  if (plain.headers['content-encoding'] || !plain.body.equals(wasm) || plain.headers['content-type'] !== 'application/wasm') fail('web/serve.py did not send pelloro.wasm as it is to a browser that takes no encoding');
  const hasBrotli = fs.existsSync(path.join(o.web, 'pelloro.wasm.br'));
  if (hasBrotli) {
    const br = await get(`${server.url}pelloro.wasm`, { 'Accept-Encoding': 'gzip, deflate, br' });
    if (br.headers['content-encoding'] !== 'br' || !zlib.brotliDecompressSync(br.body).equals(wasm)) fail('web/serve.py did not send pelloro.wasm as brotli to a browser that takes it');
  }

  const failed = async (url, init) => {
    const context = await browser.newContext({ viewport: { width: 800, height: 600 } });
    const page = await context.newPage();
    if (init) await page.addInitScript(init);
    await page.goto(url);
    await page.waitForFunction(() => window.pelloroPage && window.pelloroPage.failed, null, { timeout: 20000 }).catch(() => {});
    const text = await page.evaluate(() => ({ failed: window.pelloroPage.failed, shown: document.getElementById('message').textContent,
      visible: !document.getElementById('notice').hidden }));
    await context.close();
    return text;
  };
  // A browser that starts sound only after a gesture: the page says so, and a click starts it.
  const strict = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true,
    args: chromiumArgs.filter((a) => !a.startsWith('--autoplay-policy')).concat('--autoplay-policy=document-user-activation-required') });
  try {
    const page = await (await strict.newContext({ viewport: { width: 800, height: 600 } })).newPage();
    await page.goto(`${server.url}index.html?seed=2`);
    const said = await page.waitForFunction(() => /Sound is off/.test(document.getElementById('status').textContent), null, { timeout: 20000 })
      .then(() => true, () => false);
    const before = said ? null : await page.evaluate(() => ({ status: document.getElementById('status').textContent, audio: Module.SDL2 && Module.SDL2.audioContext && Module.SDL2.audioContext.state }));
    await page.click('#canvas');
    await page.waitForTimeout(500);
    const after = before || await page.evaluate(() => ({ status: document.getElementById('status').textContent, audio: Module.SDL2 && Module.SDL2.audioContext && Module.SDL2.audioContext.state }));
    // Chromium sometimes lets a page's sound start without a gesture even so (seen on a loaded
    // machine): then nothing is held back and there is nothing to say.
    if (!said && before.audio === 'running') console.log('web check: this Chromium started the sound without a gesture, so the held-back message was not tried');
    else if (!said) fail(`a browser that holds sound back until a gesture is not told that sound is off (sound ${after.audio}, "${after.status}")`);
    else if (after.audio !== 'running' || /Sound is off/.test(after.status)) fail(`a click did not start the held-back sound (${after.audio}, "${after.status}")`);
    else o.soundSaid = true;
  } finally {
    await strict.close();
  }
  const missing = await serveCopy(o, work, 'missing', { leaveOut: ['pelloro.wasm'] });
  try {
    const m = await failed(`${missing.url}index.html`);
    if (!m.visible || !/pelloro\.wasm is missing/.test(m.shown)) fail(`a page without pelloro.wasm says "${m.shown}"`);
    const n = await failed(`${server.url}index.html`, () => { delete window.WebAssembly; });
    if (!n.visible || !/WebAssembly/.test(n.shown)) fail(`a browser without WebAssembly is told "${n.shown}"`);
    if (/missing/.test(m.shown) && /WebAssembly/.test(n.shown)) {
      console.log(`web check: loading counted all ${total} bytes; pelloro.wasm went gzipped${hasBrotli ? ' or as brotli' : ''}; a missing file, a browser without WebAssembly${o.soundSaid ? ' and sound held back until a click' : ''} are said on the page`);
    }
  } finally {
    missing.stop();
  }
}

// ---- figures -----------------------------------------------------------------------------------------

async function measure(o, browser, server) {
  const kb = (n) => `${(n / 1024).toFixed(0)} KB`;
  const firstPicture = async (throttle) => {
    const context = await browser.newContext({ viewport: { width: 1000, height: 800 } });
    const page = await context.newPage();
    const session = await context.newCDPSession(page);
    await session.send('Network.enable');
    let sent = 0;
    session.on('Network.loadingFinished', (e) => { sent += e.encodedDataLength; });
    if (throttle) {
      await session.send('Network.emulateNetworkConditions', { offline: false, latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 1.6e6 / 8 });
    }
    await page.goto(`${server.url}index.html?seed=1&frames=2`);
    await page.waitForFunction(() => window.pelloroFirstPictureMs !== undefined, null, { timeout: 60000 });
    const ms = await page.evaluate(() => window.pelloroFirstPictureMs);
    await context.close();
    return { ms, sent };
  };
  const fast = [];
  for (let i = 0; i < 3; ++i) fast.push(await firstPicture(false));
  fast.sort((a, b) => a.ms - b.ms);
  const slow = await firstPicture(true);
  console.log(`measure: transferred ${kb(fast[1].sent)} (compressed, with the SoundFont; the page's own files as web/serve.py sends them)`);
  console.log(`measure: first picture after ${fast.map((f) => f.ms.toFixed(0)).join(', ')} ms from a local server; ${slow.ms.toFixed(0)} ms on a 1.6 Mbit/s link with 150 ms latency`);

  // 30 s of the attract mode, with music: CPU of every Chromium process.
  const context = await browser.newContext({ viewport: { width: 1000, height: 800 } });
  const page = await context.newPage();
  await page.goto(`${server.url}index.html?demo=1&seed=3`);
  await page.waitForFunction(running, 50, frameWait(50));
  const root = findBrowserPid();
  const cpu0 = treeCpuSeconds(root), t0 = Date.now(), f0 = await page.evaluate(() => Module._pelloro_frame());
  await page.waitForTimeout(30000);
  const cpu1 = treeCpuSeconds(root), t1 = Date.now(), f1 = await page.evaluate(() => Module._pelloro_frame());
  const passes = await page.evaluate(() => Module._pelloro_music_passes());
  const size = await page.evaluate(() => [document.getElementById('canvas').width, document.getElementById('canvas').height]);
  const seconds = (t1 - t0) / 1000;
  console.log(`measure: 30 s of the attract mode (canvas ×3): ${(f1 - f0)} frames in ${seconds.toFixed(1)} s, ` +
    `Chromium's processes used ${(cpu1 - cpu0).toFixed(1)} CPU s = ${(100 * (cpu1 - cpu0) / seconds).toFixed(0)} % of one core; music passes ${passes}`);
  // The floor under that figure: a page that only puts a new picture of the same size on a canvas
  // 50 times a second, as the game does, with no game, no sound and no gamepads.
  await page.setContent(`<body style="margin:0"><canvas id="c" width="${size[0]}" height="${size[1]}"></canvas><script>
    const g = document.getElementById('c').getContext('2d'), picture = g.createImageData(${size[0]}, ${size[1]});
    for (let i = 3; i < picture.data.length; i += 4) picture.data[i] = 255;
    let n = 0, due = performance.now();
    (function frame(now) {
      if (now >= due) { due += 20; picture.data[(n++ * 4) % picture.data.length] = n & 255;  // a new picture, opaque as the game's g.putImageData(picture, 0, 0); }
      requestAnimationFrame(frame);
    })(due);
    </script></body>`);
  await page.waitForTimeout(1000);
  const floor0 = treeCpuSeconds(root), s0 = Date.now();
  await page.waitForTimeout(15000);
  const floor = (treeCpuSeconds(root) - floor0) / ((Date.now() - s0) / 1000);
  console.log(`measure: a page that only puts a ${size[0]} × ${size[1]} picture on a canvas 50 times a second: ${(100 * floor).toFixed(0)} % of one core`);
  await context.close();
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
      (children[Number(f[1])] = children[Number(f[1])] || []).push(Number(d));
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

async function main() {
  const o = options();
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'pelloro-web-check-'));
  o.shots = o.shots || path.join(path.dirname(o.web), 'web-check');
  fs.mkdirSync(o.shots, { recursive: true });
  const started = Date.now();
  let failures = 0;
  const fail = (text) => { failures++; console.error(`web check: FAIL ${text}`); };
  o.failures = () => failures;
  o.log = [];

  const keys = longKeyScript(fs.readFileSync(o.keys, 'utf8'), o.frames);
  o.keyBytes = keys.length;
  if (keys.length <= 16384) throw new Error(`the generated key script has only ${keys.length} bytes; it must be longer than a page address may be`);
  const keyFile = path.join(work, 'keys.txt');
  fs.writeFileSync(keyFile, keys);
  const bmp = path.join(work, 'desktop.bmp');
  execFileSync(o.desktop, ['--headless', '--seed', o.seed, '--keys', keyFile, '--frames', String(o.frames), '--screenshot', bmp],
    { stdio: ['ignore', 'inherit', 'inherit'] });
  const reference = { bytes: fs.readFileSync(bmp) };
  reference.picture = bmpPixels(reference.bytes);

  const server = await serveCopy(o, work, 'page', { extra: { 'keys.txt': keys } });
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: chromiumArgs });
  // --only NAME[,NAME]: just those parts, while working on one.
  const only = o.only ? o.only.split(',') : null;
  const timed = async (name, part) => {
    if (only && !only.includes(name.split(' ')[0])) return [];
    const t0 = Date.now();
    const result = await part();
    console.log(`web check: (${name}: ${((Date.now() - t0) / 1000).toFixed(1)} s)`);
    return result;
  };
  try {
    const results = await timed('determinism', () => determinism(o, browser, server, reference, fail));
    await timed('keys', () => player(o, browser, server, fail));
    await timed('phone', () => phone(o, browser, server, fail));
    await timed('attract mode', () => handOver(o, browser, server, fail));
    await timed('loading', () => loading(o, browser, server, work, results, fail));
    if (o.measure) await measure(o, browser, server);
  } finally {
    await browser.close();
    server.stop();
    fs.rmSync(work, { recursive: true, force: true });
  }
  for (const e of o.log.filter((l) => l.includes('page error'))) fail(e);
  if (failures) for (const l of o.log.slice(-20)) console.error(`  ${l}`);
  console.log(`web check: screenshots in ${o.shots}`);
  console.log(`web check: ${failures ? 'FAILED' : 'passed'} in ${((Date.now() - started) / 1000).toFixed(1)} s`);
  process.exit(failures ? 1 : 0);
}

main().catch((e) => { console.error(`web check: ${e.stack || e.message}`); process.exit(1); });
