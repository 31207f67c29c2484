// Skimplane's generator in the browser and under Node: the desktop program's C++ core built as
// WebAssembly (skimplane-core.js, loaded before this script), behind a small stable API. A classic script,
// so that the page also runs from a folder opened as a file; skimplane.mjs offers the same as an ES module.
//
// A job is a plain object; every field is optional and takes the window's initial value when missing (the
// loaded API's `fields` describes each, from the generator's own table of the job's fields):
// x, y, diameter, overlap, stepDown, retract (numbers, mm), absoluteRetract (boolean), layers, spindle,
// feed (whole numbers), strategy ('spiral' | 'x' | 'y'), edgeClean, finishCentre (booleans), dialect
// ('iso' | 'grbl'), coolant ('off' | 'mist' | 'flood', or '' for the dialect's own), dwell (seconds),
// direction ('both' | 'climb' | 'conventional'), finishDepth (mm, 0 for none), finishFeed (whole number),
// time ('YYYY-MM-DD HH:MM', now when missing), fileName (the header's path, 'facing.nc' when missing),
// rapidRate (mm/min, for the cycle time). A refused job throws an Error with the desktop program's message
// and, in its `fields`, the names of the entries it is about (the one to mend first first); a message with
// words of its own also carries its `key` and `args` (each { text, key?, entry?, args? }: its English, the
// key of its words, the web name of the entry it names), which `messageWords` says in Chinese.
//
// generate, stats, previewSvg and preview take an optional second argument { onProgress }: a long run calls
// onProgress(lines, estimate) after every 65,536 lines (the lines done, and an upper bound of the total).
// The calls are synchronous; the page runs them in a worker (skimplane-worker.js), which it can end to
// cancel one.

(function installSkimplane() {
  function pad(n) {
    return String(n).padStart(2, '0');
  }

  // "YYYY-MM-DD HH:MM" of a Date in local time, as the header shows it.
  function headerTime(date = new Date()) {
    return `${date.getFullYear()}-${pad(date.getMonth() + 1)}-${pad(date.getDate())} ` +
      `${pad(date.getHours())}:${pad(date.getMinutes())}`;
  }

  function jobTextOf(job, jobFields) {
    if (job === null || typeof job !== 'object') throw new TypeError('a job must be an object');
    const known = [...jobFields, 'time', 'fileName', 'rapidRate'];
    let text = '';
    for (const key of known) {
      const value = job[key];
      if (value === undefined || value === null) continue;
      text += `${key}=${encodeURIComponent(String(value))}\n`;
    }
    return text;
  }

  function parseJobLines(text, kinds) {
    const job = {};
    let error = null;
    for (const line of text.split('\n')) {
      const at = line.indexOf('=');
      if (at < 0) continue;
      const key = line.slice(0, at);
      const value = line.slice(at + 1);
      if (key === 'error') error = value;
      else if (kinds[key] === 'choice') job[key] = value;
      else if (kinds[key] === 'bool') job[key] = value === 'true';
      else job[key] = Number(value);
    }
    return { job, error };
  }

  function makeApi(core) {
    const encoder = new TextEncoder();
    const decoder = new TextDecoder();

    // Copies bytes into the module's memory for the length of one call.
    function withBytes(bytes, call) {
      const pointer = core._malloc(Math.max(bytes.length, 1));
      try {
        core.HEAPU8.set(bytes, pointer);
        return call(pointer, bytes.length);
      } finally {
        core._free(pointer);
      }
    }
    function withText(text, call) {
      return withBytes(encoder.encode(`${text}\0`), (pointer) => call(pointer));
    }
    function resultBytes() {
      const at = core._skResult();
      return core.HEAPU8.slice(at, at + core._skResultSize());
    }
    // The last message by key ({ text, key, args }), or null for one without a key.
    function messageText() {
      const at = core._skMessageText();
      const json = decoder.decode(core.HEAPU8.subarray(at, core.HEAPU8.indexOf(0, at)));
      return json ? JSON.parse(json) : null;
    }
    // An Error of the message in `message`, with its key and arguments when it has them.
    function failure(message) {
      const error = new Error(message);
      const keyed = messageText();
      if (keyed) {
        error.key = keyed.key;
        error.args = keyed.args ?? [];
      }
      return error;
    }
    function check(status) {
      if (status === 0) return;
      const error = failure(decoder.decode(resultBytes()));
      error.fields = core.UTF8ToString(core._skRefusalFields()).split(',').filter(Boolean);
      throw error;
    }
    // The job's fields as the generator's table describes them, and the job of their defaults.
    check(core._skDescribe());
    const fields = Object.freeze(JSON.parse(decoder.decode(resultBytes())).map((f) => Object.freeze(f)));
    const jobFields = fields.map((f) => f.name);
    const kinds = Object.fromEntries(fields.map((f) => [f.name, f.kind]));
    const defaultJob = Object.freeze(Object.fromEntries(fields.map((f) => [f.name, f.default])));
    // The controller box's entries: each dialect with each coolant it can write, its own first.
    check(core._skControllers());
    const controllers = Object.freeze(JSON.parse(decoder.decode(resultBytes())).map((c) => Object.freeze(c)));
    // The Simplified Chinese words of every message key ("%1", "%2", ... for its arguments).
    check(core._skMessageWords());
    const messageWords = Object.freeze(JSON.parse(decoder.decode(resultBytes())));
    function jobText(given) {
      return jobTextOf(given, jobFields);
    }
    function job(given) {
      const text = jobText(given);
      return given.time === undefined || given.time === null ? `${text}time=${encodeURIComponent(headerTime())}\n` : text;
    }
    // Runs a call with the caller's progress report, if any.
    function reporting(options, call) {
      core.onProgress = typeof options?.onProgress === 'function' ? options.onProgress : null;
      try {
        return call();
      } finally {
        core.onProgress = null;
      }
    }
    function report(given, svg, options) {
      check(reporting(options, () => withText(jobText(given), (p) => core._skPreview(p, svg ? 1 : 0))));
      const all = resultBytes();
      const svgBytes = core._skSecondSize();
      const stats = JSON.parse(decoder.decode(all.subarray(0, all.length - svgBytes)));
      return { stats, svg: svg ? decoder.decode(all.subarray(all.length - svgBytes)) : '' };
    }

    return Object.freeze({
      // Each field of the job: { name, kind ('float' | 'integer' | 'bool' | 'choice'), default, step,
      // largeStep (of the arrow keys), min, max (null for none), words (of a choice) }.
      fields,
      // The job of the fields' defaults: the window's initial values.
      defaultJob,
      // The controller box's entries in the window's order: { dialect, coolant } words.
      controllers,
      // The Chinese words of the messages by key, the window's own: { RefuseAboveZero: '%1必须大于零，但现为 %2', ... }.
      messageWords,
      // The program's bytes: GBK, every line ending in CR LF, exactly as the desktop program writes it.
      generate(given, options) {
        check(reporting(options, () => withText(job(given), (p) => core._skGenerate(p))));
        return resultBytes();
      },
      // The figures of `skimplane-cli --stats --json`.
      stats(given, options) {
        return report(given, false, options).stats;
      },
      // The drawing of `skimplane-cli --preview`.
      previewSvg(given, options) {
        return report(given, true, options).svg;
      },
      // Both in one pass, for a page that shows them together.
      preview(given, options) {
        return report(given, true, options);
      },
      // The entries of a Skimplane.ini (its bytes). An entry that cannot be read keeps its initial value;
      // the first such entry's message throws, with the job read nonetheless in the Error's `job`. The
      // messages name the file by `name` (Skimplane.ini when none is given).
      readSettings(bytes, name) {
        const data = bytes instanceof Uint8Array ? bytes : encoder.encode(String(bytes));
        check(withText(name ?? '', (fileName) => withBytes(data, (p, n) => core._skReadSettings(p, n, fileName))));
        const { job: read, error } = parseJobLines(decoder.decode(resultBytes()), kinds);
        if (error !== null) {
          const unread = failure(error);
          unread.job = read;
          throw unread;
        }
        return read;
      },
      // Skimplane.ini with the job's entries; written into `previous` (an existing file's bytes, whose
      // other contents it keeps) or, without one, as a new file.
      writeSettings(given, previous) {
        const old = previous instanceof Uint8Array ? previous : new Uint8Array();
        const text = encoder.encode(`${jobText(given)}\0`);
        check(withBytes(text, (jobPointer) => withBytes(old, (p, n) => core._skWriteSettings(jobPointer, p, n))));
        return resultBytes();
      },
    });
  }

  let loading = null;
  // The API, once the module has started; the same promise for every caller.
  function load() {
    loading ??= globalThis.createSkimplaneCore({}).then(makeApi);
    return loading;
  }

  // `source`: this script's own text, which the page's worker runs again inside the worker.
  globalThis.Skimplane = Object.freeze({ load, headerTime, source: `(${installSkimplane})();\n` });
})();
