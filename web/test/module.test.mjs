// The module under Node against the desktop command-line tool: the same program byte for byte, the
// same figures and drawing, the same refusals; Skimplane.ini read and written by the same INI library.

import assert from 'node:assert/strict';
import { readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';

import {
  cliProgram, hasCli, loadModule, random, randomJob, removeFolder, runCli, cliArguments, tempFolder, testData,
} from './support.mjs';

const noCli = hasCli() ? false : 'the command-line tool is not built (scripts/setup.sh)';
let sk;
let folder;

before(async () => {
  sk = await loadModule();
  folder = tempFolder();
});
after(() => removeFolder(folder));

// A message by key has the Chinese words of its key and of every key among its arguments, takes each of
// its arguments, and names an entry by a field of the job.
function assertWordsOf(message, what) {
  if (!message.key) return;
  const words = sk.messageWords[message.key];
  assert.ok(words, `${what}: no words for ${message.key}`);
  const args = message.args ?? [];
  for (let n = 1; n <= args.length; ++n) assert.ok(words.includes(`%${n}`), `${what}: ${message.key} lacks %${n}`);
  for (const arg of args) {
    if (arg.entry) assert.ok(arg.entry in sk.defaultJob || arg.entry === 'rapidRate', `${what}: entry ${arg.entry}`);
    assertWordsOf(arg, what);
  }
}

const worked = { x: 20, y: 12, layers: 2, time: '2011-06-18 14:05', fileName: 'D:\\nc\\plate.nc' };

describe('generate', () => {
  const golden = [
    { file: 'plate-2-layers-relative.nc', job: worked },
    { file: 'plate-2-layers-absolute.nc', job: { ...worked, absoluteRetract: true } },
    { file: 'plate-2-layers-grbl.nc', job: { ...worked, dialect: 'grbl' } },
  ];
  for (const { file, job } of golden) {
    test(`equals the golden ${file}`, () => {
      assert.deepEqual(Buffer.from(sk.generate(job)), readFileSync(path.join(testData, file)));
    });
  }

  test('equals the command-line tool on the golden jobs and the window\'s default job', { skip: noCli }, () => {
    const jobs = [{}, ...golden.map(({ job }) => job)];
    jobs.forEach((job, i) => {
      const file = path.join(folder, `golden-${i}.nc`);
      const expected = cliProgram({ time: '2011-06-18 14:05', ...job }, file);
      const actual = sk.generate({ time: '2011-06-18 14:05', ...job, fileName: file });
      assert.deepEqual(Buffer.from(actual), expected.bytes);
    });
  });

  test('equals the command-line tool on 300 random jobs, refusals included', { skip: noCli }, () => {
    const next = random(16);
    let programs = 0;
    let refused = 0;
    for (let i = 0; i < 300; ++i) {
      const job = randomJob(next);
      const file = path.join(folder, `random ${i} (中文).nc`);
      const expected = cliProgram(job, file);
      let actual;
      try {
        actual = { bytes: Buffer.from(sk.generate({ ...job, fileName: file })) };
      } catch (error) {
        actual = { error: error.message, status: 1 };
        assertWordsOf(error, `job ${i}`);
      }
      if (expected.error !== undefined) {
        ++refused;
        assert.equal(expected.status, 1, `job ${i}: ${JSON.stringify(job)}: ${expected.error}`);
        assert.equal(actual.error, expected.error, `job ${i}: ${JSON.stringify(job)}`);
      } else {
        ++programs;
        assert.ok(actual.bytes, `job ${i}: ${JSON.stringify(job)} refused: ${actual.error}`);
        assert.ok(actual.bytes.equals(expected.bytes), `job ${i}: ${JSON.stringify(job)} differs`);
      }
    }
    // Both kinds must have been seen, or the comparison proves little.
    assert.ok(programs > 150, `${programs} programs`);
    assert.ok(refused > 20, `${refused} refusals`);
  });

  const refusals = [
    [{ diameter: 1, overlap: 1 }, 'The pass step (diameter - overlap) must be above zero, but diameter 1 - overlap 1 = 0'],
    [{ feed: 0 }, 'The feed must be above zero, but it is 0'],
    [{ spindle: -5 }, 'The spindle speed must be above zero, but it is -5'],
    [{ x: NaN }, null],
    [{ y: Infinity }, null],
    [{ x: 1e300, y: 1e300, diameter: 0.001, overlap: 0 }, null],
    [{ dialect: 'grbl', coolant: 'flood', x: 2e6 }, null],
    [{ x: -50 }, 'The X size must be above zero, but it is -50'],
    [{ stepDown: 0, layers: 3 }, null],
    [{ retract: 0, absoluteRetract: true }, null],
  ];
  for (const [job, message] of refusals) {
    test(`refuses ${JSON.stringify(job)} with the desktop message`, { skip: noCli }, () => {
      const file = path.join(folder, 'refused.nc');
      const expected = cliProgram({ time: '2011-06-18 14:05', ...job }, file);
      assert.equal(expected.status, 1, expected.error);
      if (message !== null) assert.equal(expected.error, message);
      assert.throws(() => sk.generate({ time: '2011-06-18 14:05', ...job, fileName: file }),
        (error) => error instanceof Error && error.message === expected.error);
    });
  }

  test('a refusal names its fields, and the fields describe the window\'s initial job', () => {
    const fieldsOf = (job) => { try { sk.generate(job); } catch (error) { return error.fields; } return null; };
    assert.deepEqual(fieldsOf({ overlap: 6 }), ['overlap', 'diameter']);
    assert.deepEqual(fieldsOf({ dialect: 'grbl', coolant: 'mist' }), ['coolant', 'dialect']);
    assert.deepEqual(fieldsOf({ layers: 'many' }), ['layers']);
    assert.deepEqual(sk.fields.map((f) => f.name), Object.keys(sk.defaultJob));
    assert.equal(Buffer.from(sk.generate({ ...sk.defaultJob, time: '2011-06-18 14:05' })).toString('latin1'),
      Buffer.from(sk.generate({ time: '2011-06-18 14:05' })).toString('latin1'));
  });

  test('the step-over is the overlap entered as a percent of the diameter, never together with it', () => {
    const time = '2011-06-18 14:05';
    assert.deepEqual(Buffer.from(sk.generate({ diameter: 10, stepover: 40, time })),
      Buffer.from(sk.generate({ diameter: 10, overlap: 6, time })));
    assert.deepEqual(Buffer.from(sk.generate({ stepover: '', time })), Buffer.from(sk.generate({ time })));
    const refusal = (job) => { try { sk.generate({ ...job, time }); } catch (error) { return [error.message, error.fields]; } return null; };
    assert.deepEqual(refusal({ stepover: 50, overlap: 1 }),
      ['give either stepover or overlap, not both: they set the same overlap', ['stepover']]);
  });

  test('a dwell beyond an hour is refused by the job check', () => {
    assert.throws(() => sk.generate({ dwell: 4000 }), /^Error: The dwell must be between 0 and 3600/);
  });

  const badEntries = [
    [{ x: 'abc' }, 'x: "abc" is not a number'],
    [{ layers: 4294967296 }, 'layers: "4294967296" is not a whole number within 32 bits'],
    [{ strategy: 'circle' }, 'strategy: "circle" is not one of spiral, x, y'],
    [{ dialect: 'fanuc' }, 'dialect: "fanuc" is not one of iso, grbl'],
    [{ time: '2011-02-30 10:00' }, 'time: "2011-02-30 10:00" is not a date and time "YYYY-MM-DD HH:MM"'],
    [{ edgeClean: 'maybe' }, 'edgeClean: "maybe" is not true or false'],
    [{ stepover: 0 }, 'stepover: "0" is not a number of percent above zero'],
    [{ rapidRate: -1 }, 'rapidRate: "-1" is not a number above zero'],
  ];
  for (const [job, message] of badEntries) {
    test(`names the entry that is not a value: ${JSON.stringify(job)}`, () => {
      const call = () => (job.rapidRate ? sk.stats(job) : sk.generate(job));
      assert.throws(call, (error) => {
        assert.equal(error.message, message);
        assert.equal(error.key, 'WebEntryNotValid');
        assertWordsOf(error, message);
        return true;
      });
    });
  }

  test('an integer entry rounds a fraction to the nearest, ties to even, as the window does', () => {
    const two = sk.generate({ ...worked, layers: 2 });
    assert.deepEqual(sk.generate({ ...worked, layers: 2.5 }), two);
    assert.deepEqual(sk.generate({ ...worked, layers: 1.6 }), two);
  });

  test('the header shows the file name, "(" and ")" as "[" and "]"', () => {
    const text = Buffer.from(sk.generate({ time: '2011-06-18 14:05', fileName: 'plate (2).nc' })).toString('latin1');
    assert.match(text.split('\r\n')[2], /^\( plate \[2\]\.nc /);
    const plain = Buffer.from(sk.generate({ time: '2011-06-18 14:05' })).toString('latin1');
    assert.match(plain.split('\r\n')[2], /^\( facing\.nc /);
  });

  test('control characters of a file name cannot break the header\'s comment', () => {
    const text = Buffer.from(sk.generate({ time: '2011-06-18 14:05', fileName: 'a\nG00 Z-50\u0000.nc' })).toString('latin1');
    const lines = text.split('\r\n');
    assert.match(lines[2], /^\( a\?G00 Z-50\?\.nc /);
    assert.equal(lines[3].startsWith('( '), true);
  });

  test('a program too large for the page is refused, not built', () => {
    assert.throws(() => sk.generate({ x: 3000, y: 2000, diameter: 0.1, overlap: 0.01, layers: 1000 }), (error) => {
      assert.match(error.message, /more than the page can keep in memory/);
      assertWordsOf(error, error.message);
      return error.key === 'WebTooLargeForPage';
    });
  });

  test('a long run reports its lines to onProgress and writes the same bytes', () => {
    const job = { x: 3000, y: 2000, diameter: 0.5, overlap: 0.1, layers: 20, time: '2011-06-18 14:05' };
    const ticks = [];
    const bytes = sk.generate(job, { onProgress: (lines, estimate) => ticks.push([lines, estimate]) });
    const lines = Buffer.from(bytes).toString('latin1').split('\r\n').length - 1;
    assert.equal(ticks.length, Math.floor(lines / 65536));
    ticks.forEach(([done, estimate], i) => {
      assert.equal(done, (i + 1) * 65536);
      assert.ok(estimate >= lines, `estimate ${estimate} of ${lines} lines`);
    });
    assert.deepEqual(bytes, sk.generate(job));
    // The preview reports the lines it reads back; its figures are the same without a report.
    const read = [];
    const stats = sk.stats(job, { onProgress: (done) => read.push(done) });
    assert.deepEqual(read, ticks.map(([done]) => done));
    assert.deepEqual(stats, sk.stats(job));
  });

  test('without a time the header shows the present minute', () => {
    const line = Buffer.from(sk.generate({})).toString('latin1').split('\r\n')[2];
    assert.match(line, / \d{4}-\d\d-\d\d \d\d:\d\d \)$/);
  });
});

describe('stats and previewSvg', () => {
  const jobs = [{}, { x: 20, y: 12, layers: 2 }, { strategy: 'y', diameter: 10, edgeClean: false },
    { dialect: 'grbl', finishCentre: true, rapidRate: 2500 }, { x: 50, y: 30, overlap: -1 },
    { strategy: 'x', direction: 'climb', layers: 2, finishDepth: 0.2, finishFeed: 60 },
    { direction: 'conventional', finishDepth: 0.3, finishFeed: 80, retract: 0.5, layers: 3 }];
  jobs.forEach((job, i) => {
    test(`equal --stats --json and --preview: ${JSON.stringify(job)}`, { skip: noCli }, () => {
      const svgFile = path.join(folder, `drawing-${i}.svg`);
      const run = runCli([...cliArguments(job), '--stats', '--json', '--preview', svgFile]);
      assert.equal(run.status, 0, run.stderr);
      assert.deepEqual(sk.stats(job), JSON.parse(run.stdout.toString()));
      assert.equal(sk.previewSvg(job), readFileSync(svgFile, 'utf8'));
      const both = sk.preview(job);
      assert.deepEqual(both.stats, JSON.parse(run.stdout.toString()));
      assert.equal(both.svg, readFileSync(svgFile, 'utf8'));
    });
  });

  test('a refused job throws from stats and previewSvg too', () => {
    assert.throws(() => sk.stats({ feed: 0 }), { message: 'The feed must be above zero, but it is 0' });
    assert.throws(() => sk.previewSvg({ feed: 0 }), { message: 'The feed must be above zero, but it is 0' });
  });
});

describe('settings', () => {
  test('a new file is the window\'s first-exit file, byte for byte', () => {
    assert.deepEqual(Buffer.from(sk.writeSettings({})), readFileSync(path.join(testData, 'settings', 'first-exit.ini')));
  });

  test('random jobs round-trip through Skimplane.ini', () => {
    const next = random(1609);
    for (let i = 0; i < 200; ++i) {
      const { time, ...job } = randomJob(next);
      void time;
      const read = sk.readSettings(sk.writeSettings(job));
      // The file keeps fifteen significant digits, as it always has.
      const expected = Object.fromEntries(Object.entries(job).map(([key, value]) =>
        [key, typeof value === 'number' ? Number(value.toPrecision(15)) : value]));
      // The retract mode is not kept in the file: every start is relative, as in the window.
      expected.absoluteRetract = false;
      // A coolant equal to the dialect's own is not stored: it reads back as the dialect's own.
      const own = job.dialect === 'grbl' ? 'off' : 'mist';
      if (expected.coolant === '') expected.coolant = own;
      if (read.coolant === '') read.coolant = own;
      // The step-over is kept as the overlap it stands for.
      if (job.stepover !== undefined) {
        expected.overlap = Number((job.diameter - job.diameter * job.stepover / 100).toPrecision(15));
        delete expected.stepover;
      }
      assert.deepEqual(read, expected, `job ${i}`);
    }
  });

  test('a file read by the module generates what the command-line tool generates from it', { skip: noCli }, () => {
    const job = { x: 33.3, y: 12.25, diameter: 8, layers: 3, strategy: 'x', edgeClean: false, dialect: 'grbl', coolant: 'flood', dwell: 1.5 };
    const ini = path.join(folder, 'Skimplane.ini');
    writeFileSync(ini, sk.writeSettings(job));
    const file = path.join(folder, 'from-settings.nc');
    const run = runCli(['--settings', ini, '--time', '2011-06-18 14:05', '-o', file]);
    assert.equal(run.status, 0, run.stderr);
    const read = sk.readSettings(readFileSync(ini));
    assert.deepEqual(Buffer.from(sk.generate({ ...read, time: '2011-06-18 14:05', fileName: file })), readFileSync(file));
  });

  test('a file written with a decimal comma is read and written again with it', () => {
    const comma = readFileSync(path.join(testData, 'settings', 'first-exit-comma.ini'));
    assert.deepEqual(sk.readSettings(comma), sk.readSettings(sk.writeSettings({})));
    assert.deepEqual(Buffer.from(sk.writeSettings({}, comma)), comma);
    const written = Buffer.from(sk.writeSettings({ overlap: 0.25, x: 12.5 }, comma)).toString('latin1');
    assert.match(written, /\r\n {2}Length:12,5\r\n/);
    assert.match(written, /\r\n {2}Cross:0,25\r\n/);
  });

  test('writing into an existing file keeps everything else it holds', () => {
    const previous = readFileSync(path.join(testData, 'settings', 'chinese-simplified-gbk.lng'));
    const written = Buffer.from(sk.writeSettings({ x: 42 }, previous));
    assert.ok(written.includes(Buffer.from('  Length:42\r\n')));
    // The language block's GBK texts are carried through untouched.
    const lang = previous.subarray(previous.indexOf('Lang:'));
    assert.ok(written.includes(lang.subarray(0, 200)));
  });

  test('an entry that cannot be read throws the window\'s message and keeps the others', { skip: noCli }, () => {
    const bytes = Buffer.from('Option:[%RootKey%]\r\n[%\r\n  Length:abc\r\n  Width:77\r\n  Mode:3\r\n%]\r\n');
    const ini = path.join(folder, 'bad.ini');
    writeFileSync(ini, bytes);
    const run = runCli(['--settings', ini, '--stats']);
    assert.equal(run.status, 2);
    const message = run.stderr.replace(/^skimplane-cli: /, '').replace(/\n$/, '');
    assert.throws(() => sk.readSettings(bytes, ini), (error) => {
      assert.equal(error.message, message);
      assert.equal(error.job.x, 150);
      assert.equal(error.job.y, 77);
      assert.equal(error.job.strategy, 'y');
      return true;
    });
  });

  test('a NUL byte is reported with the file and its line, and the entries before it are kept', () => {
    const bytes = Buffer.from('Option:[%RootKey%]\r\n[%\r\n  Width:77\r\n  Knit:8\0\x1b\r\n  Layer:4\r\n%]\r\n', 'latin1');
    assert.throws(() => sk.readSettings(bytes, 'my.ini'), (error) => {
      assert.equal(error.message,
        '"my.ini", line 4 \'  Knit:8\\x00\\x1b\': a NUL byte ends the text here; nothing after it is read');
      assert.equal(error.job.y, 77);
      assert.equal(error.job.layers, 1);
      return true;
    });
  });

  test('the example files read as the command-line tool reads them', { skip: noCli }, () => {
    for (const name of ['ini-example1.ini', 'ini-example2.ini', 'ini-example3-saved.ini', 'settings/first-exit.ini']) {
      const ini = path.join(testData, name);
      const run = runCli(['--settings', ini, '--stats', '--json']);
      let read;
      try {
        read = sk.readSettings(readFileSync(ini));
      } catch (error) {
        assert.equal(run.status, 2, `${name}: ${error.message}`);
        continue;
      }
      assert.equal(run.status, 0, `${name}: ${run.stderr}`);
      assert.deepEqual(sk.stats(read), JSON.parse(run.stdout.toString()), name);
    }
  });
});

describe('messages by key', () => {
  test('a refusal carries its key and arguments beside the unchanged English message', () => {
    assert.throws(() => sk.generate({ x: -50 }), (error) => {
      assert.equal(error.message, 'The X size must be above zero, but it is -50');
      assert.equal(error.key, 'RefuseAboveZero');
      assert.deepEqual(error.args, [{ text: 'X size', entry: 'x' }, { text: '-50' }]);
      return true;
    });
    assert.equal(sk.messageWords.RefuseAboveZero, '%1必须大于零，但现为 %2');
  });

  // Every kind of failure the module gives with a key: the job check's own rows have their owner in the
  // window's tests (RefusalTexts); here the preview's, the settings file's and the INI library's.
  const failures = [
    ['a preview too large to draw', () => sk.previewSvg({ x: 3000, y: 2000, diameter: 0.1, overlap: 0.01, layers: 1000 }),
      'PreviewTooManyLines'],
    ['a number that is not one', () => sk.readSettings(Buffer.from('Option:[%RootKey%]\r\n[%\r\n  Length:abc\r\n%]\r\n')),
      'SettingsFileError'],
    ['a NUL byte', () => sk.readSettings(Buffer.from('Option:[%RootKey%]\r\n[%\r\n  Knit:8\0\r\n%]\r\n', 'latin1')),
      'SettingsFileError'],
    ['a block that is not there', () => sk.readSettings(Buffer.from('Option:\r\n')), 'SettingsBlockMissing'],
    ['a line without a name', () => sk.readSettings(Buffer.from('Option:[%RootKey%]\r\n[%\r\n  :8\r\n%]\r\n')),
      'SettingsFileError'],
  ];
  for (const [what, call, key] of failures) {
    test(`${what} has Chinese words for every key it carries`, () => {
      assert.throws(call, (error) => {
        assert.equal(error.key, key, error.message);
        assertWordsOf(error, what);
        return true;
      });
    });
  }
});
