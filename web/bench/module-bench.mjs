// The module under Node against the desktop command-line tool: how long a program takes to generate, and
// the default job's preview. Not a test: it prints figures for docs/performance.md.
//   node web/bench/module-bench.mjs

import { execFileSync } from 'node:child_process';
import path from 'node:path';

import { cli, cliArguments, loadModule, removeFolder, tempFolder } from '../test/support.mjs';

const sk = await loadModule();
const jobs = [
  ['the default job (79 lines)', {}],
  ['face 1000 x 800, diameter 2, overlap 0.2, 10 layers, along X', { x: 1000, y: 800, diameter: 2, overlap: 0.2, layers: 10, strategy: 'x' }],
  ['face 3000 x 2000, diameter 0.5, overlap 0.05, 10 layers, spiral', { x: 3000, y: 2000, diameter: 0.5, overlap: 0.05, layers: 10 }],
];

function best(runs, call) {
  let fastest = Infinity;
  for (let i = 0; i < runs; ++i) {
    const started = process.hrtime.bigint();
    call();
    fastest = Math.min(fastest, Number(process.hrtime.bigint() - started) / 1e6);
  }
  return fastest;
}

const folder = tempFolder();
try {
  for (const [name, job] of jobs) {
    const full = { ...job, time: '2011-06-18 14:05' };
    let bytes = 0;
    const module = best(5, () => {
      bytes = sk.generate(full).length;
    });
    const file = path.join(folder, 'bench.nc');
    const native = best(5, () => execFileSync(cli, [...cliArguments(full), '-o', file]));
    console.log(`${name}: ${bytes} bytes; module ${module.toFixed(1)} ms, skimplane-cli (a whole run, to a synced file) ${native.toFixed(1)} ms`);
  }
  console.log(`default job, preview with figures and drawing: ${best(50, () => sk.preview({})).toFixed(2)} ms`);
  console.log(`default job, generate: ${best(50, () => sk.generate({ time: '2011-06-18 14:05' })).toFixed(3)} ms`);
  // The import of a settings file of 500,000 blocks (16.5 MB, one root key each), as bench/IniRead_bench.cpp
  // reads it natively: the page's tab waits this long.
  const digits = '0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ';
  const blocks = [];
  for (let i = 0; i < 500000; ++i) {
    let name = '';
    for (let d = 0, n = i; d < 4; ++d, n = Math.floor(n / 36)) name = digits[n % 36] + name;
    blocks.push(`${name}:[%RootKey%]\r\n[%\r\n  V:1\r\n%]\r\n`);
  }
  const big = Buffer.from(`Option:[%RootKey%]\r\n[%\r\n  Knit:8\r\n%]\r\n${blocks.join('')}`, 'latin1');
  console.log(`import of ${big.length} bytes in 500,000 blocks: ${best(3, () => sk.readSettings(big, 'big.ini')).toFixed(0)} ms`);
} finally {
  removeFolder(folder);
}
