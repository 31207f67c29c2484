// The page in headless Chromium (the system's browser, driven by puppeteer-core): it loads offline,
// takes entries, previews, downloads the desktop tool's program byte for byte, names refused entries,
// imports Skimplane.ini, switches to English and keeps the entries over a reload.

import assert from 'node:assert/strict';
import { existsSync, readdirSync, readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';

import { cliProgram, hasCli, removeFolder, tempFolder, webDir } from './support.mjs';
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

test('a refused job is named next to its entry with the desktop message', { skip }, async () => {
  await openTab('cutter');
  await enter('overlap', '6');
  const expected = cliProgram({ overlap: 6, x: 20, y: 12, layers: 2 }, path.join(downloads, 'refused.nc')).error;
  assert.equal(await page.$eval('#overlap-error', (e) => e.textContent), expected);
  assert.equal(await page.$eval('#overlap', (e) => e.getAttribute('aria-invalid')), 'true');
  await page.click('#generate');
  assert.match(await page.$eval('#status', (e) => e.textContent), /pass step/);
  assert.ok(!existsSync(path.join(downloads, 'refused.nc')));
  await enter('overlap', '0.5');
  assert.equal(await page.$eval('#overlap-error', (e) => e.textContent), '');
  await enter('diameter', 'abc');
  assert.equal(await page.$eval('#diameter-error', (e) => e.textContent), 'diameter: "abc" is not a number');
  await enter('diameter', '6');
});

test('Skimplane.ini is imported into the entries and exported again', { skip }, async () => {
  const file = path.join(downloads, 'import.ini');
  writeFileSync(file, 'Option:[%RootKey%]\r\n[%\r\n  Length:33.5\r\n  Width:44\r\n  Mode:2\r\n  Dialect:grbl\r\n' +
    '  Direction:climb\r\n  FinishDepth:0.2\r\n  FinishFeed:60\r\n%]\r\n');
  const input = await page.$('#import-file');
  const before = await updates();
  await input.uploadFile(file);
  await page.waitForFunction((count) => Number(document.body.dataset.updates) > count, {}, before);
  assert.equal(await page.$eval('#x', (e) => e.value), '33.5');
  assert.equal(await page.$eval('#y', (e) => e.value), '44');
  assert.equal(await page.$eval('input[name="strategy"]:checked', (e) => e.value), 'x');
  assert.equal(await page.$eval('#controller', (e) => e.selectedIndex), 3);
  await page.click('#export');
  const exported = (await waitForDownload('Skimplane.ini')).toString('latin1');
  assert.match(exported, /\r\n {2}Length:33\.5\r\n {2}Width:44\r\n/);
  assert.match(exported, /\r\n {2}Mode:2\r\n {2}Dialect:grbl\r\n/);
  // The options the page has no entries for yet are kept as the file had them.
  assert.match(exported, /\r\n {2}Direction:climb\r\n {2}FinishDepth:0\.2\r\n {2}FinishFeed:60\r\n/);
});

test('a settings file above 16 MiB is not read, as the desktop program reads none', { skip }, async () => {
  const file = path.join(downloads, 'huge.ini');
  writeFileSync(file, Buffer.alloc(16 * 1024 * 1024 + 1, 0x20));
  await (await page.$('#import-file')).uploadFile(file);
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('16 MiB'));
  assert.equal(await page.$eval('#status', (e) => e.textContent),
    'Cannot open file "huge.ini". Larger than the limit of 16 MiB (16777216 bytes)');
  assert.equal(await page.$eval('#x', (e) => e.value), '33.5');
});

test('the English switch takes the shipped pack\'s captions', { skip }, async () => {
  await page.click('#language');
  assert.equal(await page.$eval('#tab-face', (e) => e.textContent), 'Workpiece');
  assert.equal(await page.$eval('label[for="x"]', (e) => e.textContent), 'Width:');
  assert.equal(await page.$eval('#controller option', (e) => e.textContent), 'ISO, mist coolant (M07)');
  assert.equal(await page.$eval('#figure-list dt', (e) => e.textContent), 'Lines');
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
