// How long the page takes from a changed entry to the drawn preview, in headless Chromium, and the size of
// the page's files. Not a test: it prints figures for docs/performance.md.
//   node web/bench/page-bench.mjs [--screenshot docs/screenshot-web.png]

import { readdirSync, statSync } from 'node:fs';
import path from 'node:path';

import puppeteer from 'puppeteer-core';

import { serve } from '../test/server.mjs';
import { webDir } from '../test/support.mjs';

const runs = 200;
const screenshotAt = process.argv.indexOf('--screenshot');

function size(folder) {
  let total = 0;
  for (const name of readdirSync(folder)) {
    const file = path.join(folder, name);
    total += statSync(file).isDirectory() ? size(file) : statSync(file).size;
  }
  return total;
}

function summary(times) {
  const sorted = [...times].sort((a, b) => a - b);
  const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
  return `median ${at(0.5).toFixed(1)} ms, 95th percentile ${at(0.95).toFixed(1)} ms, max ${sorted.at(-1).toFixed(1)} ms`;
}

const server = await serve(webDir);
const browser = await puppeteer.launch({
  executablePath: process.env.SKIMPLANE_CHROMIUM ?? '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu'],
});
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1120, height: 860 });
  const loadStart = Date.now();
  await page.goto(`${server.origin}/`);
  await page.waitForSelector('body[data-ready="true"]');
  const loadMs = Date.now() - loadStart;

  // From the input event to the next frame after the drawing is in the page: generated, measured, drawn.
  const times = await page.evaluate(async (count) => {
    const input = document.getElementById('x');
    const out = [];
    for (let i = 0; i < count; ++i) {
      const started = performance.now();
      input.value = i % 2 === 0 ? '151' : '150';
      const before = document.body.dataset.updates;
      input.dispatchEvent(new Event('input', { bubbles: true }));
      while (document.body.dataset.updates === before) await new Promise((resolve) => setTimeout(resolve, 0));
      await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
      out.push(performance.now() - started);
    }
    return out;
  }, runs);
  const generateTimes = await page.evaluate(async (count) => {
    const { default: api } = await import('./skimplane.mjs');
    const sk = await api;
    const out = [];
    for (let i = 0; i < count; ++i) {
      const started = performance.now();
      sk.generate({ time: '2011-06-18 14:05' });
      out.push(performance.now() - started);
    }
    return out;
  }, runs);

  console.log(`page files: ${size(webDir)} bytes`);
  console.log(`load until ready: ${loadMs} ms`);
  console.log(`default job, change to drawn preview (${runs} changes): ${summary(times)}`);
  console.log(`default job, generate alone (${runs} runs): ${summary(generateTimes)}`);
  if (screenshotAt > 0) {
    await page.evaluate(() => {
      localStorage.clear();
    });
    await page.reload();
    await page.waitForSelector('body[data-ready="true"]');
    await page.screenshot({ path: process.argv[screenshotAt + 1] });
    console.log(`screenshot: ${process.argv[screenshotAt + 1]}`);
  }
} finally {
  await browser.close();
  await server.close();
}
