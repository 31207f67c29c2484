// What the page's tests share: the built module, the desktop command-line tool as the reference, and a
// source of random jobs.

import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
export const webDir = path.join(root, 'build', 'web');
export const testData = path.join(root, 'tests', 'data');
export const cli = process.env.SKIMPLANE_CLI ?? path.join(root, 'build', 'default', 'bin', 'skimplane-cli');

export async function loadModule() {
  const module = await import(path.join(webDir, 'skimplane.mjs'));
  return module.default;
}

export function hasCli() {
  return existsSync(cli);
}

export function tempFolder() {
  return mkdtempSync(path.join(tmpdir(), 'skimplane-web-'));
}

export function removeFolder(folder) {
  rmSync(folder, { recursive: true, force: true });
}

// The command-line options of a job, as skimplane-cli takes them.
export function cliArguments(job) {
  const args = [];
  const options = {
    x: '--x', y: '--y', diameter: '--diameter', overlap: '--overlap', stepDown: '--step-down',
    retract: '--retract', layers: '--layers', spindle: '--spindle', feed: '--feed', strategy: '--strategy',
    dialect: '--dialect', coolant: '--coolant', dwell: '--dwell', time: '--time', rapidRate: '--rapid-rate',
    direction: '--direction', finishDepth: '--finish-depth', finishFeed: '--finish-feed',
    overcut: '--overcut', stepover: '--stepover', entry: '--entry', rampAngle: '--ramp-angle',
  };
  for (const [key, option] of Object.entries(options)) {
    if (job[key] === undefined || job[key] === '') continue;
    args.push(`${option}=${String(job[key])}`);
  }
  if (job.absoluteRetract) args.push('--absolute-retract');
  if (job.edgeClean === false) args.push('--no-edge-clean');
  if (job.finishCentre) args.push('--finish-centre');
  return args;
}

// Runs skimplane-cli; returns { status, stdout (Buffer), stderr (text) }.
export function runCli(args) {
  try {
    const stdout = execFileSync(cli, args, { stdio: ['ignore', 'pipe', 'pipe'], maxBuffer: 1 << 30 });
    return { status: 0, stdout, stderr: '' };
  } catch (error) {
    if (typeof error.status !== 'number') throw error;
    return { status: error.status, stdout: error.stdout, stderr: error.stderr.toString() };
  }
}

// The program the desktop tool writes for `job` to `file` (an absolute path), or its refusal's message.
export function cliProgram(job, file) {
  const run = runCli([...cliArguments(job), '-o', file]);
  if (run.status !== 0) return { error: run.stderr.replace(/^skimplane-cli: /, '').replace(/\n$/, ''), status: run.status };
  return { bytes: readFileSync(file) };
}

// A small deterministic generator (mulberry32), so a failing job can be made again from its seed.
export function random(seed) {
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// A job of every kind: sizes with few and many decimals, ties of the three-decimal rounding, cutters
// larger than the face, overlaps that leave no pass step, zero and negative layers, feeds and speeds,
// every strategy, dialect and coolant. Some are refused, as some users' entries are.
export function randomJob(next) {
  const pick = (list) => list[Math.floor(next() * list.length)];
  const number = (low, high) => {
    const v = low + next() * (high - low);
    return Number(v.toFixed(pick([0, 1, 2, 3, 4, 7])));
  };
  const tie = () => Number((Math.floor(next() * 400) + 0.0005).toFixed(4));
  const diameter = pick([number(0.5, 25), 6, 0.8, tie()]);
  const dialect = pick(['iso', 'iso', 'grbl']);
  const job = {
    x: pick([number(1, 300), tie(), 20, 150]),
    y: pick([number(1, 300), tie(), 12, 200]),
    diameter,
    overlap: next() < 0.05 ? diameter : pick([number(-1, diameter), 0.5, number(0, diameter), number(0, 2)]),
    stepDown: pick([number(0.01, 5), 1, tie() / 100]),
    retract: pick([number(-2, 10), 2]),
    absoluteRetract: next() < 0.3,
    layers: pick([1, 2, 3, Math.floor(next() * 6) - 1]),
    spindle: next() < 0.05 ? pick([-100, 0]) : pick([5000, 1 + Math.floor(next() * 30000)]),
    feed: next() < 0.05 ? 0 : pick([120, 1 + Math.floor(next() * 3000)]),
    strategy: pick(['spiral', 'x', 'y']),
    edgeClean: next() < 0.7,
    finishCentre: next() < 0.3,
    dialect,
    coolant: dialect === 'grbl' ? pick(['', 'off', 'flood']) : pick(['', 'off', 'mist', 'flood']),
    dwell: pick([0, 0, number(0, 10)]),
    direction: pick(['both', 'both', 'climb', 'conventional']),
    finishDepth: next() < 0.3 ? number(0, 2) : 0,
    finishFeed: next() < 0.05 ? 0 : pick([60, 1 + Math.floor(next() * 3000)]),
    time: `20${String(10 + Math.floor(next() * 20))}-0${1 + Math.floor(next() * 9)}-1${Math.floor(next() * 9)} ` +
      `${String(Math.floor(next() * 24)).padStart(2, '0')}:${String(Math.floor(next() * 60)).padStart(2, '0')}`,
  };
  // The machining options: an overcut (narrow faces too), the step-over instead of the overlap.
  job.overcut = pick([0, 0, number(0, 8)]);
  if (next() < 0.2) {
    delete job.overlap;
    job.stepover = pick([number(5, 130), 40]);
  }
  job.entry = next() < 0.3 ? 'ramp' : 'plunge';
  job.rampAngle = pick([3, number(0.5, 45), 90]);
  return job;
}
