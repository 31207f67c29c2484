// The page in headless Chromium (the system's browser, driven by puppeteer-core): it loads offline,
// takes entries, previews, downloads the desktop tool's program byte for byte, names refused entries,
// imports Skimplane.ini, switches to English and keeps the entries over a reload.

import assert from 'node:assert/strict';
import { existsSync, readdirSync, readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';

import {
  cliArguments, cliProgram, hasCli, loadModule, removeFolder, runCli, tempFolder, webDir,
} from './support.mjs';
import { serve } from './server.mjs';

const chromium = process.env.SKIMPLANE_CHROMIUM ?? '/usr/bin/chromium';
let puppeteer = null;
try {
  puppeteer = (await import('puppeteer-core')).default;
} catch {
  puppeteer = null;
}
const skip = !puppeteer ? 'puppeteer-core is not installed (scripts/web.sh test installs it)'
  : !existsSync(chromium) ? `no browser at ${chromium}` : !hasCli() ? 'the command-line tool is not built' : false;

let server;
let browser;
let page;
let downloads;
const foreign = [];

before(async () => {
  if (skip) return;
  server = await serve(webDir);
  downloads = tempFolder();
  browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-extensions'],
  });
  page = await browser.newPage();
  await page.setViewport({ width: 1200, height: 900 });
  if (process.env.SKIMPLANE_DEBUG) {
    page.on('console', (m) => console.log('console:', m.text()));
    page.on('pageerror', (e) => console.log('pageerror:', e.message));
  }
  page.on('request', (request) => {
    if (!request.url().startsWith(server.origin) && !request.url().startsWith('blob:') &&
        !request.url().startsWith('data:')) foreign.push(request.url());
  });
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.goto(`${server.origin}/`);
  await page.waitForSelector('body[data-ready="true"]');
}, { timeout: 60_000 });

after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
  if (downloads) removeFolder(downloads);
});

async function figure(key) {
  return page.$eval(`#figure-list dd[data-figure="${key}"]`, (element) => element.textContent);
}

async function updates() {
  return Number(await page.$eval('body', (body) => body.dataset.updates));
}

// Types into an entry as a user does: select all, type, and wait for the preview of the change.
async function enter(id, value) {
  const before = await updates();
  await page.click(`#${id}`, { clickCount: 3 });
  await page.keyboard.press('Backspace');
  await page.type(`#${id}`, value);
  await page.waitForFunction((count) => Number(document.body.dataset.updates) > count &&
    document.body.dataset.pending !== 'true', {}, before);
}

async function openTab(id) {
  await page.click(`#tab-${id}`);
}

async function waitForDownload(name) {
  const file = path.join(downloads, name);
  for (let i = 0; i < 100; ++i) {
    if (existsSync(file) && !readdirSync(downloads).some((f) => f.endsWith('.crdownload'))) return readFileSync(file);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  throw new Error(`no download ${name}`);
}

test('opens with the window\'s captions and initial values, and draws the default job', { skip }, async () => {
  assert.equal(await page.$eval('#tab-face', (e) => e.textContent), '材质平面');
  assert.equal(await page.$eval('label[for="x"]', (e) => e.textContent), '宽度：');
  assert.equal(await page.$eval('#x', (e) => e.value), '150');
  assert.equal(await page.$eval('#y', (e) => e.value), '200');
  assert.equal(await page.$eval('#retract-relative', (e) => e.checked), true);
  assert.equal(await figure('PreviewLines'), '79');
  assert.ok(await page.$('#drawing svg'));
  // Every input has a label tied to it.
  const unlabelled = await page.$$eval('input:not([type="file"]), select',
    (inputs) => inputs.filter((input) => input.labels.length === 0).map((input) => input.id || input.name));
  assert.deepEqual(unlabelled, []);
});

test('a changed entry redraws the preview and its figures', { skip }, async () => {
  await enter('x', '20');
  await enter('y', '12');
  await openTab('motion');
  await enter('layers', '2');
  assert.equal(await figure('PreviewLines'), '48');
  assert.equal(await figure('PreviewLayers'), '2');
  assert.match(await figure('PreviewUncutCorner'), /^7\.726 mm²/);
});

test('the arrow and page keys step an entry as the window\'s spin edits do', { skip }, async () => {
  await openTab('cutter');
  await enter('overlap', '0.5');
  await page.focus('#overlap');
  await page.keyboard.press('ArrowUp');
  assert.equal(await page.$eval('#overlap', (e) => e.value), '0.6');
  await page.waitForFunction(() => document.body.dataset.pending !== 'true');
  assert.equal(await figure('PreviewFeedPath'), '142.340 mm');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  assert.equal(await page.$eval('#overlap', (e) => e.value), '0.4');
  await page.keyboard.press('PageUp');
  assert.equal(await page.$eval('#overlap', (e) => e.value), '10.4');
  await enter('overlap', '0.5');
  assert.equal(await figure('PreviewLines'), '48');
});

test('Generate downloads the desktop tool\'s program byte for byte', { skip }, async () => {
  const folder = tempFolder();
  try {
    const target = path.join(folder, 'plate (1).nc');
    await enter('fileName', target).catch(() => {});
    await page.click('#generate');
    const bytes = await waitForDownload('plate (1).nc');
    const time = / (\d{4}-\d\d-\d\d \d\d:\d\d) \)\r\n/.exec(bytes.toString('latin1'))[1];
    const expected = cliProgram({ x: 20, y: 12, layers: 2, time }, target);
    assert.ok(bytes.equals(expected.bytes));
    assert.match(await page.$eval('#status', (e) => e.textContent), /plate \(1\)\.nc/);
  } finally {
    removeFolder(folder);
  }
});

// The English words of a text: a caption's letter ("直径(R)") and a unit are not words.
const englishWords = (text) => text.replace(/\bmm\b/g, '').match(/[A-Za-z]{2,}/g) ?? [];

test('a refused job is named next to its entry in the page\'s language', { skip }, async () => {
  await openTab('cutter');
  await enter('overlap', '6');
  const words = '步距（直径(R) - 重叠(C)）必须大于零，但 直径(R) 6 - 重叠(C) 6 = 0';
  assert.equal(await page.$eval('#overlap-error', (e) => e.textContent), words);
  assert.equal(await page.$eval('#overlap', (e) => e.getAttribute('aria-invalid')), 'true');
  await page.click('#generate');
  await page.waitForFunction(() => document.body.dataset.generating !== 'true');
  assert.equal(await page.$eval('#status', (e) => e.textContent), `无法生成：${words}`);
  assert.ok(!existsSync(path.join(downloads, 'refused.nc')));
  await enter('overlap', '0.5');
  assert.equal(await page.$eval('#overlap-error', (e) => e.textContent), '');
  // [entries, the entry that carries the message, its words, the entries that mend it]
  for (const [entries, id, expected, mend] of [
    [[['x', '-50']], 'x', '宽度必须大于零，但现为 -50', [['x', '20']]],
    [[['x', '6'], ['y', '6.01'], ['entry-ramp', true]], 'entry',
      '第一刀只有 0.01 mm 长：太短，无法以 3 度斜线下刀；请选择更陡的角度、过切或垂直下刀',
      [['x', '20'], ['y', '12'], ['entry-plunge', true]]],
  ]) {
    await setEntries(entries);
    await settled();
    const shown = await page.$eval(`#${id}-error`, (e) => e.textContent);
    assert.equal(shown, expected);
    assert.deepEqual(englishWords(shown), []);
    await setEntries(mend);
    await settled();
  }
  await enter('diameter', 'abc');
  assert.equal(await page.$eval('#diameter-error', (e) => e.textContent), '直径(R)：“abc”不是数值');
  await enter('diameter', '6');
});

test('Skimplane.ini is imported into the entries and exported again', { skip }, async () => {
  const file = path.join(downloads, 'import.ini');
  const options = '  Dwell:2.5\r\n  Direction:climb\r\n  FinishDepth:0.2\r\n  FinishFeed:60\r\n  Overcut:1.5\r\n' +
    '  Entry:ramp\r\n  RampAngle:10\r\n';
  writeFileSync(file, 'Option:[%RootKey%]\r\n[%\r\n  Length:33.5\r\n  Width:44\r\n  Mode:2\r\n  Dialect:grbl\r\n' +
    `${options}%]\r\n`);
  const input = await page.$('#import-file');
  const before = await updates();
  await input.uploadFile(file);
  await page.waitForFunction((count) => Number(document.body.dataset.updates) > count, {}, before);
  assert.equal(await page.$eval('#x', (e) => e.value), '33.5');
  assert.equal(await page.$eval('#y', (e) => e.value), '44');
  assert.equal(await page.$eval('input[name="strategy"]:checked', (e) => e.value), 'x');
  assert.equal(await page.$eval('#controller', (e) => e.selectedIndex), 3);
  // The options are on the machining page; the step-over shows the overlap kept.
  assert.deepEqual(await page.$$eval('#page-machining input:is([inputmode], :checked)', (all) => all.map((e) => e.value)),
    ['1.5', '91.6666666666667', 'ramp', '10', 'climb', '0.2', '60', '2.5']);
  await page.click('#export');
  const exported = (await waitForDownload('Skimplane.ini')).toString('latin1');
  assert.match(exported, /\r\n {2}Length:33\.5\r\n {2}Width:44\r\n/);
  assert.match(exported, /\r\n {2}Mode:2\r\n {2}Dialect:grbl\r\n/);
  assert.ok(exported.includes(options), exported);
  // The same entries without the options: the tests after this one compare the page's programs with
  // skimplane-cli's for the entries on screen.
  const plain = path.join(downloads, 'import-plain.ini');
  writeFileSync(plain, 'Option:[%RootKey%]\r\n[%\r\n  Length:33.5\r\n  Width:44\r\n  Mode:2\r\n  Dialect:grbl\r\n%]\r\n');
  const again = await updates();
  await input.uploadFile(plain);
  await page.waitForFunction((count) => Number(document.body.dataset.updates) > count, {}, again);
});

test('a settings file above 16 MiB is not read, as the desktop program reads none', { skip }, async () => {
  const file = path.join(downloads, 'huge.ini');
  writeFileSync(file, Buffer.alloc(16 * 1024 * 1024 + 1, 0x20));
  await (await page.$('#import-file')).uploadFile(file);
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('16 MiB'));
  assert.equal(await page.$eval('#status', (e) => e.textContent), '无法打开文件“huge.ini”。超过了 16 MiB（16777216 字节）的上限');
  assert.equal(await page.$eval('#x', (e) => e.value), '33.5');
});

test('an entry of a settings file that cannot be read is reported in the page\'s language', { skip }, async () => {
  const file = path.join(downloads, 'bad.ini');
  writeFileSync(file, 'Option:[%RootKey%]\r\n[%\r\n  Length:33.5\r\n  Width:44\r\n  Mode:2\r\n  Dialect:grbl\r\n' +
    '  Layer:abc\r\n%]\r\n');
  const before = await updates();
  await (await page.$('#import-file')).uploadFile(file);
  await page.waitForFunction((count) => Number(document.body.dataset.updates) > count, {}, before);
  await settled();
  // The message stays after the preview of the entries read. The file's name and its entry's name are values, written as they are.
  assert.equal(await page.$eval('#status', (e) => e.textContent), '“bad.ini”，“Layer”项：“abc”不是有效的整数');
  assert.equal(await page.$eval('#y', (e) => e.value), '44');
});

test('the English switch takes the shipped pack\'s captions', { skip }, async () => {
  await page.click('#language');
  // The message shown is said again in English, the desktop program's words.
  assert.equal(await page.$eval('#status', (e) => e.textContent),
    '"bad.ini", entry "Layer": \'abc\' is not a valid integer value');
  assert.equal(await page.$eval('#tab-face', (e) => e.textContent), 'Workpiece');
  assert.equal(await page.$eval('label[for="x"]', (e) => e.textContent), 'Width:');
  assert.equal(await page.$eval('#controller option', (e) => e.textContent), 'ISO, mist coolant (M07)');
  assert.equal(await page.$eval('#figure-list dt', (e) => e.textContent), 'Lines');
  // No text of any page, shown or not, stays Chinese, but the switch back to Chinese.
  const chinese = await page.$$eval('#app *:not(#language)', (all) => all.flatMap((e) => [...e.childNodes]
    .filter((n) => n.nodeType === Node.TEXT_NODE).map((n) => n.textContent).concat(e.title, e.ariaLabel ?? ''))
    .filter((t) => /\p{Script=Han}/u.test(t)));
  assert.deepEqual(chinese, []);
});

test('a reload finds the entries kept, the retract mode relative again', { skip }, async () => {
  await openTab('cutter');
  await page.click('#retract-absolute');
  await page.reload();
  await page.waitForSelector('body[data-ready="true"]');
  assert.equal(await page.$eval('#x', (e) => e.value), '33.5');
  assert.equal(await page.$eval('#y', (e) => e.value), '44');
  assert.equal(await page.$eval('input[name="strategy"]:checked', (e) => e.value), 'x');
  assert.equal(await page.$eval('#tab-face', (e) => e.textContent), 'Workpiece');
  assert.equal(await page.$eval('#retract-relative', (e) => e.checked), true);
});

test('the page asked for nothing outside its own folder', { skip }, async () => {
  assert.deepEqual(foreign, []);
  assert.ok(server.requests.includes('/skimplane-core.js'));
});

test('the page works from its folder opened as a file, with no server', { skip }, async () => {
  const local = await browser.newPage();
  try {
    const asked = [];
    local.on('request', (request) => asked.push(request.url()));
    const session = await local.createCDPSession();
    await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    await local.goto(pathToFileURL(path.join(webDir, 'index.html')).href);
    await local.waitForSelector('body[data-ready="true"]');
    // The generator runs in a worker there too, made from the scripts the page has loaded.
    assert.equal(await local.$eval('body', (e) => e.dataset.worker), 'true');
    assert.equal(await local.$eval('#figure-list dd[data-figure="PreviewLines"]', (e) => e.textContent), '79');
    await local.evaluate(() => {
      document.getElementById('fileName').value = 'from-a-folder.nc';
    });
    await local.click('#generate');
    const bytes = await waitForDownload('from-a-folder.nc');
    assert.match(bytes.toString('latin1'), /^\( Skimplane v1\.3 /);
    assert.deepEqual(asked.filter((url) => !url.startsWith('file:') && !url.startsWith('blob:') &&
      !url.startsWith('data:')), []);
  } finally {
    await local.close();
  }
});

// Sets entries as typing does, without waiting for the preview.
async function setEntries(entries) {
  await page.evaluate((pairs) => {
    for (const [id, value] of pairs) {
      const element = document.getElementById(id) ?? document.querySelector(id);
      if (element.type === 'radio' || element.type === 'checkbox') {
        element.checked = value;
        element.dispatchEvent(new Event('change'));
      } else {
        element.value = value;
        element.dispatchEvent(new Event('input'));
      }
    }
  }, entries);
}

// The job the entries hold, as the command-line tool takes it.
async function pageJob() {
  return page.evaluate(() => {
    const job = {};
    for (const id of ['x', 'y', 'diameter', 'overlap', 'stepDown', 'retract', 'layers', 'spindle', 'feed',
      'overcut', 'rampAngle', 'finishDepth', 'finishFeed', 'dwell']) {
      job[id] = document.getElementById(id).value;
    }
    job.absoluteRetract = document.getElementById('retract-absolute').checked;
    for (const name of ['strategy', 'entry', 'direction']) {
      job[name] = document.querySelector(`input[name="${name}"]:checked`).value;
    }
    job.edgeClean = document.getElementById('edgeClean').checked;
    Object.assign(job, [{ dialect: 'iso', coolant: 'mist' }, { dialect: 'iso', coolant: 'flood' },
      { dialect: 'iso', coolant: 'off' }, { dialect: 'grbl', coolant: 'off' },
      { dialect: 'grbl', coolant: 'flood' }][document.getElementById('controller').selectedIndex]);
    return job;
  });
}

// The page's own session lets downloads into the test's folder (a page opened and closed meanwhile
// takes that setting away).
async function allowDownloads() {
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
}

async function settled(timeout = 30_000) {
  await page.waitForFunction(() => document.body.dataset.pending === 'false' &&
    document.body.dataset.generating !== 'true', { timeout });
}

test('a mended entry clears the refusal of Generate; a name without an extension gets .nc', { skip }, async () => {
  await allowDownloads();
  await setEntries([['x', '20'], ['y', '12'], ['layers', '2'], ['overlap', '6']]);
  await settled();
  await page.click('#generate');
  await settled();
  // In English, the module's message as it is: the command-line tool's.
  const refused = cliProgram(await pageJob(), path.join(downloads, 'refused.nc')).error;
  assert.match(refused, /pass step/);
  assert.equal(await page.$eval('#status', (e) => e.textContent), `Cannot generate: ${refused}`);
  await setEntries([['overlap', '0.5']]);
  await settled();
  assert.equal(await page.$eval('#status', (e) => e.textContent), '');
  assert.equal(await page.$eval('#overlap-error', (e) => e.textContent), '');
  // The header's path line and the download both carry the added extension.
  const folder = tempFolder();
  try {
    await setEntries([['fileName', path.join(folder, 'plate')]]);
    await page.click('#generate');
    await settled();
    const bytes = await waitForDownload('plate.nc');
    const time = / (\d{4}-\d\d-\d\d \d\d:\d\d) \)\r\n/.exec(bytes.toString('latin1'))[1];
    const job = { ...await pageJob(), time };
    assert.ok(bytes.equals(cliProgram(job, path.join(folder, 'plate.nc')).bytes));
    await setEntries([['fileName', 'plate.v2.tap']]);
    await page.click('#generate');
    await waitForDownload('plate.v2.tap');
  } finally {
    removeFolder(folder);
  }
});

test('every option on the machining page: the module\'s program of the same job, a refusal beside its entry', { skip }, async () => {
  await allowDownloads();
  await openTab('machining');
  const disabled = () => page.$$eval('#rampAngle, #finishFeed', (inputs) => inputs.map((e) => e.disabled));
  assert.deepEqual(await disabled(), [true, true]);
  await setEntries([['input[name="strategy"][value="x"]', true], ['overcut', '1.5'], ['stepover', '40'],
    ['entry-ramp', true], ['rampAngle', '5'], ['direction-climb', true], ['finishDepth', '0.2'],
    ['finishFeed', '60'], ['dwell', '1.5'], ['fileName', path.join(downloads, 'options.nc')]]);
  await settled();
  assert.deepEqual(await disabled(), [false, false]);
  assert.equal(await page.$eval('#overlap', (e) => e.value), '3.6');
  // The preview counts and names what the options add, as the window's does.
  assert.match(await figure('PreviewReturns'), /^[1-9]\d*$/);
  assert.match(await figure('PreviewRamps'), /^[1-9]\d*\D/);
  assert.match(await figure('PreviewFinish'), /\b60\b/);
  assert.deepEqual(await page.$$eval('#legend [id^="legend-"]', (all) => all.map((e) => e.hidden)), [false, false, false]);
  // Tab goes down the page as it is laid out (a choice's buttons are one stop).
  await page.focus('#overcut');
  const order = [];
  for (let i = 0; i < 7; ++i) order.push(await page.keyboard.press('Tab').then(() => page.evaluate(() => document.activeElement.id)));
  assert.deepEqual(order, ['stepover', 'entry-ramp', 'rampAngle', 'direction-climb', 'finishDepth', 'finishFeed', 'dwell']);
  await page.click('#generate');
  const bytes = await waitForDownload('options.nc');
  const time = / (\d{4}-\d\d-\d\d \d\d:\d\d) \)\r\n/.exec(bytes.toString('latin1'))[1];
  const { overlap, ...job } = await pageJob();
  const sk = await loadModule();
  assert.ok(bytes.equals(Buffer.from(sk.generate({ ...job, stepover: 40, time, fileName: path.join(downloads, 'options.nc') }))));
  // A changed diameter keeps the overlap and shows its percent.
  await setEntries([['diameter', '8']]);
  assert.equal(await page.$eval('#stepover', (e) => e.value), '55');
  // A refusal marks its entry (a choice's buttons together); Generate shows the page. [entries, named, mend]
  for (const [entries, id, mend] of [
    [[['rampAngle', '0']], 'rampAngle', [['rampAngle', '5']]],
    [[['stepover', '0']], 'stepover', [['diameter', '6'], ['overlap', '0.5']]],
    [[['input[name="strategy"][value="spiral"]', true], ['x', '8']], 'entry', [['x', '20']]],
  ]) {
    await setEntries(entries);
    await settled();
    assert.notEqual(await page.$eval(`#${id}-error`, (e) => e.textContent), '', id);
    assert.equal(await page.$eval(`#${id}`, (e) => e.getAttribute('aria-invalid')), 'true', id);
    await openTab('face');
    await page.click('#generate');
    await settled();
    assert.equal(await page.$eval('#tab-machining', (e) => e.getAttribute('aria-selected')), 'true', id);
    await setEntries(mend);
  }
  // Back to the initial options for the tests after this one.
  await setEntries([...['overcut', 'rampAngle', 'finishDepth', 'finishFeed', 'dwell'].map((id) => [id, String(sk.defaultJob[id])]),
    [`entry-${sk.defaultJob.entry}`, true], [`direction-${sk.defaultJob.direction}`, true]]);
  await settled();
});

test('the drawing zooms with the wheel about the pointer, pans by dragging and fits with F or Home', { skip }, async () => {
  const view = () => page.$eval('#drawing svg', (svg) => svg.getAttribute('viewBox').split(' ').map(Number));
  // Said below the drawing, as the window's preview says it.
  assert.equal(await page.$eval('#drawing-hint', (e) => e.textContent), 'Wheel zooms, drag pans, F or Home fits');
  const fitted = await view();
  const box = await (await page.$('#drawing')).boundingBox();
  const centre = { x: box.x + box.width / 2, y: box.y + box.height / 2 };
  // Zoomed in about the pointer at the centre: a smaller view about the same middle.
  await page.mouse.move(centre.x, centre.y);
  await page.mouse.wheel({ deltaY: -400 });
  await page.waitForFunction((width) => Number(document.querySelector('#drawing svg').getAttribute('viewBox').split(' ')[2]) < width, {}, fitted[2]);
  const zoomed = await view();
  assert.ok(zoomed[2] < fitted[2] / 2, `${zoomed} from ${fitted}`);
  assert.ok(Math.abs(zoomed[0] + zoomed[2] / 2 - (fitted[0] + fitted[2] / 2)) < 1e-6);
  // Dragged 40 px right and 20 px down: the drawing follows the pointer.
  await page.mouse.down();
  await page.mouse.move(centre.x + 40, centre.y + 20, { steps: 4 });
  await page.mouse.up();
  const dragged = await view();
  const unit = zoomed[2] / box.width; // drawing units per CSS pixel
  assert.ok(Math.abs(dragged[0] - (zoomed[0] - 40 * unit)) < 1e-6 && Math.abs(dragged[1] - (zoomed[1] - 20 * unit)) < 1e-6);
  // F fits the whole drawing again, as does Home.
  await page.keyboard.press('f');
  assert.deepEqual(await view(), fitted);
  await page.mouse.wheel({ deltaY: -200 });
  await page.keyboard.press('Home');
  assert.deepEqual(await view(), fitted);
});

test('a million-line job shows its progress with Cancel, and no task blocks the page for more than 100 ms', { skip, timeout: 300_000 }, async (t) => {
  // Every task of the page longer than 50 ms is reported; the frames' gaps are kept as a second measure.
  // A page in the background reports none and draws no frames: this one is brought to the front.
  await page.bringToFront();
  await page.evaluate(() => {
    window.longTasks = [];
    // Kept by the window: an observer nothing holds may be collected, and then reports nothing.
    window.longTaskObserver = new PerformanceObserver((list) => {
      for (const entry of list.getEntries()) window.longTasks.push(entry.duration);
    });
    window.longTaskObserver.observe({ type: 'longtask' });
    window.frameGap = 0;
    let last = performance.now();
    const frame = (now) => {
      window.frameGap = Math.max(window.frameGap, now - last);
      last = now;
      requestAnimationFrame(frame);
    };
    requestAnimationFrame(frame);
  });
  // The observer sees a task of 70 ms of the page's own (a timer's; what the test itself runs in the page
  // is no task of it), so that none seen later means none there.
  await page.evaluate(() => new Promise((resolve) => {
    setTimeout(() => {
      const end = performance.now() + 70;
      while (performance.now() < end);
      resolve();
    }, 0);
  }));
  await page.waitForFunction(() => window.longTasks.length > 0);
  await page.evaluate(() => {
    window.longTasks = [];
    window.frameGap = 0;
  });
  const job = { x: '3000', y: '2000', diameter: '0.5', overlap: '0.1', layers: '100' };
  await setEntries(Object.entries(job).slice(0, 5).concat([['input[name="strategy"][value="spiral"]', true]]));
  const full = await pageJob();
  const lines = JSON.parse(runCli([...cliArguments(full), '--stats', '--json']).stdout).lines;
  assert.ok(lines > 1_000_000, `${lines} lines`);
  await page.waitForFunction(() => !document.getElementById('progress').hidden, { timeout: 60_000 });
  assert.equal(await page.$eval('#progress-caption', (e) => e.textContent), 'Working out the preview...');
  assert.equal(await page.$eval('#cancel', (e) => e.textContent), 'Cancel');
  // The page answers while the job runs: a click on a tab is taken at once.
  await openTab('about');
  assert.equal(await page.$eval('#tab-about', (e) => e.getAttribute('aria-selected')), 'true');
  await page.click('#cancel');
  await page.waitForFunction(() => document.getElementById('preview-error').textContent !== '');
  assert.equal(await page.$eval('#preview-error', (e) => e.textContent), 'Cancelled: the drawing still shows the job before');
  assert.equal(await page.$eval('#progress', (e) => e.hidden), true);
  assert.ok(await page.$('#drawing svg'), 'the drawing before stays');
  // Again, to its end: the figures and the drawing of a million lines.
  await setEntries([['layers', '100']]);
  await settled(240_000);
  assert.equal(await figure('PreviewLines'), String(lines));
  assert.ok(await page.$('#drawing canvas'));
  assert.equal(await page.$eval('#progress', (e) => e.hidden), true);
  // Zoomed, the large drawing is drawn anew for the view by the worker.
  const box = await (await page.$('#drawing')).boundingBox();
  const scale = Number(await page.$eval('#drawing', (e) => e.dataset.scale));
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  await page.mouse.wheel({ deltaY: -400 });
  await page.waitForFunction((s) => Number(document.getElementById('drawing').dataset.scale) > s, {}, scale);
  // Generate writes the desktop tool's program of it.
  const folder = tempFolder();
  try {
    await setEntries([['fileName', path.join(folder, 'million.nc')]]);
    await page.click('#generate');
    const bytes = await waitForDownload('million.nc');
    const time = / (\d{4}-\d\d-\d\d \d\d:\d\d) \)\r\n/.exec(bytes.subarray(0, 200).toString('latin1'))[1];
    const expected = cliProgram({ ...full, time }, path.join(folder, 'million.nc'));
    assert.ok(bytes.equals(expected.bytes));
  } finally {
    removeFolder(folder);
  }
  const { longTasks, frameGap } = await page.evaluate(() => ({ longTasks: window.longTasks, frameGap: window.frameGap }));
  const longest = Math.max(0, ...longTasks);
  t.diagnostic(`longest task ${longest.toFixed(0)} ms (${longTasks.length} above 50 ms), longest gap between frames ${frameGap.toFixed(0)} ms`);
  assert.ok(longest < 100, `a task of ${longest} ms`);
});

test('a long Generate shows its progress, and Cancel writes nothing', { skip, timeout: 120_000 }, async () => {
  // Five million lines: too many to draw, the preview says so at once; the program is written.
  await setEntries([['layers', '500']]);
  await settled(60_000);
  assert.match(await page.$eval('#preview-error', (e) => e.textContent), /too many to draw/);
  await setEntries([['fileName', 'cancelled.nc']]);
  await page.click('#generate');
  await page.waitForFunction(() => !document.getElementById('progress').hidden, { timeout: 60_000 });
  assert.equal(await page.$eval('#progress-caption', (e) => e.textContent), 'Writing the program...');
  await page.click('#cancel');
  await settled();
  assert.equal(await page.$eval('#status', (e) => e.textContent), '');
  assert.equal(await page.$eval('#progress', (e) => e.hidden), true);
  await new Promise((resolve) => setTimeout(resolve, 1000));
  assert.ok(!existsSync(path.join(downloads, 'cancelled.nc')));
  // The next worker takes the next job.
  await setEntries([['layers', '2'], ['x', '20'], ['y', '12']]);
  await settled();
  assert.equal(await page.$eval('#preview-error', (e) => e.textContent), '');
  assert.ok(await page.$('#drawing svg'));
});

test('without workers the page runs the generator itself', { skip }, async () => {
  const local = await browser.newPage();
  try {
    await local.evaluateOnNewDocument(() => {
      delete globalThis.Worker;
    });
    await local.goto(`${server.origin}/`);
    await local.waitForSelector('body[data-ready="true"]');
    assert.equal(await local.$eval('body', (e) => e.dataset.worker), 'false');
    assert.ok(await local.$('#drawing svg'));
    assert.match(await local.$eval('#figure-list dd[data-figure="PreviewLines"]', (e) => e.textContent), /^\d+$/);
  } finally {
    await local.close();
  }
});
