// The page's generator in a Web Worker, so that no job blocks the page: the page posts a call, the worker
// runs it on the module and answers; a long call reports its progress, and Cancel ends the worker (a new
// one is started for the next call). A large drawing is not sent as SVG text (tens of MB that the page
// would have to parse): the worker draws it into a bitmap for the view the page asks for.
//
// The worker is made from the scripts the page has already loaded (the module's factory and the API, by
// their own text), so it needs no request and also starts in a page opened as a file. Where no worker
// can start, the same calls run on the page itself (engine.inWorker is false): nothing else changes, but
// a long job then blocks the page and cannot be cancelled.
// A classic script after skimplane-core.js and skimplane-api.js.

(() => {
// --- What runs inside the worker -------------------------------------------------------------------------

function serveInWorker() {
  let drawn = null; // the last large drawing, kept to draw other views of it

  // The drawing's elements in order, from the module's SVG (the preview's own, see PreviewSvg): the face,
  // the swept band, the uncut cells, the paths of every layer and the start; the figures and the legend
  // below the face are not drawn, the page lists them.
  function parseDrawing(svg) {
    const items = [];
    const patterns = new Map();
    const text = (attributes, name) => {
      if (!patterns.has(name)) patterns.set(name, new RegExp(`\\s${name}="([^"]*)"`));
      return patterns.get(name).exec(attributes)?.[1];
    };
    const number = (attributes, name) => {
      const value = text(attributes, name);
      return value === undefined ? undefined : Number(value);
    };
    const line = /^ x1="([^"]*)" y1="([^"]*)" x2="([^"]*)" y2="([^"]*)"/;
    const stack = [{}];
    let lines = [];
    let discs = [];
    let width = 0;
    let height = 0;
    // The paths of a layer that are the same as those of a layer before it, in the same style, are drawn
    // once: a top view of many equal layers shows the one path (and drawing it a hundred times over takes
    // the canvas a hundred times as long).
    const seen = new Map(); // a path's style and first coordinates -> the paths drawn with them
    const equal = (a, b) => a.length === b.length && a.every((v, i) => v === b[i]);
    const flush = () => {
      const style = stack[stack.length - 1];
      if (lines.length > 0) {
        const coords = Float32Array.from(lines);
        const key = `${JSON.stringify(style)} ${coords.length} ${coords.subarray(0, 8).join(' ')}`;
        const drawn = seen.get(key) ?? [];
        if (!drawn.some((other) => equal(other, coords))) {
          drawn.push(coords);
          seen.set(key, drawn);
          items.push({ kind: 'lines', coords, style });
        }
      }
      if (discs.length > 0) items.push({ kind: 'discs', coords: Float32Array.from(discs), style });
      lines = [];
      discs = [];
    };
    const tag = /<(\/?)([a-zA-Z]+)([^>]*)>/g;
    for (let match = tag.exec(svg); match; match = tag.exec(svg)) {
      const [, closing, name, attributes] = match;
      if (name === 'svg') {
        width = number(attributes, 'width') ?? 0;
        height = number(attributes, 'height') ?? 0;
      } else if (name === 'g') {
        flush();
        if (closing) {
          stack.pop();
          continue;
        }
        if (text(attributes, 'id') === 'figures') break;
        const style = { ...stack[stack.length - 1] };
        for (const key of ['stroke', 'stroke-width', 'stroke-dasharray', 'stroke-linecap', 'fill']) {
          const value = text(attributes, key);
          if (value !== undefined) style[key] = value;
        }
        stack.push(style);
      } else if (name === 'line') {
        const m = line.exec(attributes);
        if (m) lines.push(Number(m[1]), Number(m[2]), Number(m[3]), Number(m[4]));
        else lines.push(number(attributes, 'x1'), number(attributes, 'y1'), number(attributes, 'x2'), number(attributes, 'y2'));
      } else if (name === 'circle' && text(attributes, 'id') !== 'start') {
        discs.push(number(attributes, 'cx'), number(attributes, 'cy'), number(attributes, 'r'));
      } else if (name === 'circle' || name === 'rect' || name === 'path') {
        const item = { kind: name, id: text(attributes, 'id'), attributes: {} };
        for (const key of ['x', 'y', 'width', 'height', 'cx', 'cy', 'r', 'stroke-width', 'fill-opacity']) {
          item.attributes[key] = number(attributes, key);
        }
        for (const key of ['fill', 'stroke', 'd']) item.attributes[key] = text(attributes, key);
        if (item.id === 'face') height = item.attributes.y * 2 + item.attributes.height; // a margin below it
        items.push(item);
      }
    }
    flush();
    return { items, width, height };
  }

  // Draws the drawing centred on (view.x, view.y) at view.scale CSS pixels per unit, into a bitmap of
  // width x height CSS pixels at `ratio` device pixels each.
  function render(drawing, view, width, height, ratio) {
    const canvas = new OffscreenCanvas(Math.max(1, Math.round(width * ratio)), Math.max(1, Math.round(height * ratio)));
    const g = canvas.getContext('2d');
    g.fillStyle = '#ffffff';
    g.fillRect(0, 0, canvas.width, canvas.height);
    const k = view.scale * ratio;
    g.setTransform(k, 0, 0, k, canvas.width / 2 - view.x * k, canvas.height / 2 - view.y * k);
    const paint = (value) => (value && value !== 'none' ? value : null);
    for (const item of drawing.items) {
      const a = item.attributes ?? {};
      if (item.kind === 'lines') {
        const style = item.style;
        const c = item.coords;
        g.strokeStyle = paint(style.stroke) ?? '#000000';
        g.lineWidth = Number(style['stroke-width'] ?? 1);
        g.lineCap = style['stroke-linecap'] ?? 'butt';
        g.setLineDash(style['stroke-dasharray'] ? style['stroke-dasharray'].split(/[\s,]+/).map(Number) : []);
        // In parts: one stroke of a million segments takes the canvas far longer than many small ones.
        for (let from = 0; from < c.length; from += 4 * 4096) {
          g.beginPath();
          for (let i = from; i < Math.min(c.length, from + 4 * 4096); i += 4) {
            g.moveTo(c[i], c[i + 1]);
            g.lineTo(c[i + 2], c[i + 3]);
          }
          g.stroke();
        }
        g.setLineDash([]);
      } else if (item.kind === 'discs') {
        const path = new Path2D();
        const c = item.coords;
        for (let i = 0; i < c.length; i += 3) {
          path.moveTo(c[i] + c[i + 2], c[i + 1]);
          path.arc(c[i], c[i + 1], c[i + 2], 0, 2 * Math.PI);
        }
        g.fillStyle = paint(item.style.stroke) ?? '#000000';
        g.fill(path);
      } else if (item.kind === 'rect') {
        if (a.width === undefined || Number.isNaN(a.width)) continue; // the white background
        if (paint(a.fill)) {
          g.fillStyle = a.fill;
          g.fillRect(a.x, a.y, a.width, a.height);
        }
        if (paint(a.stroke)) {
          g.strokeStyle = a.stroke;
          g.lineWidth = a['stroke-width'] ?? 1;
          g.strokeRect(a.x, a.y, a.width, a.height);
        }
      } else if (item.kind === 'path' && a.d) {
        g.globalAlpha = a['fill-opacity'] ?? 1;
        g.fillStyle = paint(a.fill) ?? '#000000';
        g.fill(new Path2D(a.d));
        g.globalAlpha = 1;
      } else if (item.kind === 'circle') {
        g.beginPath();
        g.arc(a.cx, a.cy, a.r, 0, 2 * Math.PI);
        if (paint(a.fill)) {
          g.fillStyle = a.fill;
          g.fill();
        }
        if (paint(a.stroke)) {
          g.strokeStyle = a.stroke;
          g.lineWidth = a['stroke-width'] ?? 1;
          g.stroke();
        }
      }
    }
    return canvas.transferToImageBitmap();
  }

  const loading = globalThis.Skimplane.load();
  loading.then(() => postMessage({ type: 'ready' }),
    (error) => postMessage({ type: 'failed', message: String(error?.message ?? error) }));

  onmessage = async ({ data }) => {
    const { id, call } = data;
    let sk;
    try {
      sk = await loading;
    } catch {
      return;
    }
    try {
      const onProgress = (lines, estimate) => postMessage({ type: 'progress', id, lines, estimate });
      let value;
      let transfer = [];
      if (call === 'generate') {
        value = sk.generate(data.job, { onProgress });
        transfer = [value.buffer];
      } else if (call === 'preview') {
        const began = performance.now();
        const { stats, svg } = sk.preview(data.job, { onProgress });
        const made = performance.now();
        if (svg.length <= data.maxSvgBytes || typeof OffscreenCanvas !== 'function') {
          drawn = null;
          value = { stats, svg };
        } else {
          drawn = parseDrawing(svg);
          const size = { width: drawn.width, height: drawn.height };
          const same = data.size && data.size.width === size.width && data.size.height === size.height;
          const view = same && data.view ? data.view : fitView(size, data.box);
          const parsed = performance.now();
          value = { stats, size, view, bitmap: render(drawn, view, data.box.width, data.box.height, data.box.ratio) };
          // How long each part took (ms): the module, reading its drawing, drawing the bitmap.
          value.times = [made - began, parsed - made, performance.now() - parsed].map(Math.round);
          transfer = [value.bitmap];
        }
      } else if (call === 'render') {
        if (!drawn) throw new Error('no drawing');
        value = { view: data.view, bitmap: render(drawn, data.view, data.box.width, data.box.height, data.box.ratio) };
        transfer = [value.bitmap];
      } else if (call === 'readSettings') {
        value = sk.readSettings(data.bytes, data.name);
      } else if (call === 'writeSettings') {
        value = sk.writeSettings(data.job, data.previous);
        transfer = [value.buffer];
      }
      postMessage({ type: 'done', id, value }, transfer);
    } catch (error) {
      // The module aborted (out of memory, say): it can take no other call, the page starts a new worker.
      const fatal = error instanceof WebAssembly.RuntimeError;
      postMessage({ type: 'error', id, message: String(error?.message ?? error), fields: error?.fields, job: error?.job,
        key: error?.key, args: error?.args, fatal });
    }
  };
}

// --- The page's side -------------------------------------------------------------------------------------

// The view that shows all of a drawing of `size` in a box of box.width x box.height CSS pixels.
function fitView(size, box) {
  const scale = Math.min(box.width / Math.max(size.width, 1), box.height / Math.max(size.height, 1));
  return { x: size.width / 2, y: size.height / 2, scale: scale > 0 ? scale : 1 };
}

// What ends a call that was cancelled.
class Cancelled extends Error {
  constructor() {
    super('cancelled');
    this.cancelled = true;
  }
}

// A refusal as the worker posted it: the message, its fields, the job read and the message by key.
function refusal({ message, fields, job, key, args }) {
  const error = new Error(message);
  error.fields = fields ?? [];
  if (job) error.job = job;
  if (key) Object.assign(error, { key, args: args ?? [] });
  return error;
}

function workerSource() {
  const factory = globalThis.createSkimplaneCore;
  if (typeof factory !== 'function') throw new Error('the module is not loaded');
  return `var _scriptDir = undefined;\nvar createSkimplaneCore = ${factory};\nglobalThis.createSkimplaneCore = createSkimplaneCore;\n` +
    `${globalThis.Skimplane.source}\nconst fitView = ${fitView};\n(${serveInWorker})();\n`;
}

// Starts a worker; resolves once its module is ready, rejects when none can start.
function startWorker() {
  return new Promise((resolve, reject) => {
    let worker;
    let url;
    try {
      url = URL.createObjectURL(new Blob([workerSource()], { type: 'text/javascript' }));
      worker = new Worker(url);
    } catch (error) {
      if (url) URL.revokeObjectURL(url);
      reject(error);
      return;
    }
    const fail = (error) => {
      worker.terminate();
      URL.revokeObjectURL(url);
      reject(error);
    };
    worker.onerror = (event) => {
      event.preventDefault?.();
      fail(new Error(event.message || 'the worker did not start'));
    };
    worker.onmessage = ({ data }) => {
      if (data.type === 'ready') {
        URL.revokeObjectURL(url);
        worker.onerror = null;
        resolve(worker);
      } else if (data.type === 'failed') {
        fail(new Error(data.message));
      }
    };
  });
}

// The calls of the page, each a promise: in a worker when one starts, else on the page itself.
async function start() {
  let worker = null;
  try {
    worker = await startWorker();
  } catch (error) {
    console.info(`Skimplane: no worker (${error.message}); the generator runs on the page itself`);
    return pageEngine(await globalThis.Skimplane.load());
  }
  return workerEngine(worker);
}

function workerEngine(first) {
  let worker = first;
  let starting = null; // a new worker after a cancel
  let next = 0;
  const calls = new Map(); // id -> { resolve, reject, onProgress }

  function listen(w) {
    w.onmessage = ({ data }) => {
      const call = calls.get(data.id);
      if (!call) return;
      if (data.type === 'progress') {
        call.onProgress?.(data.lines, data.estimate);
        return;
      }
      calls.delete(data.id);
      if (data.type === 'done') call.resolve(data.value);
      else call.reject(refusal(data));
      if (data.fatal) restart(new Error(data.message));
    };
    w.onerror = (event) => {
      event.preventDefault?.();
      const error = new Error(event.message || 'the worker failed');
      for (const call of calls.values()) call.reject(error);
      calls.clear();
    };
  }
  listen(worker);

  // Ends the worker, and every call under way with `reason`; a new worker takes the next calls.
  function restart(reason) {
    worker.terminate();
    for (const call of calls.values()) call.reject(reason);
    calls.clear();
    starting = startWorker().then((w) => {
      worker = w;
      listen(w);
      starting = null;
    });
    return starting;
  }

  async function post(message, onProgress, transfer = []) {
    if (starting) await starting;
    const id = ++next;
    return new Promise((resolve, reject) => {
      calls.set(id, { resolve, reject, onProgress });
      worker.postMessage({ ...message, id }, transfer);
    });
  }

  return {
    inWorker: true,
    generate: (job, onProgress) => post({ call: 'generate', job }, onProgress),
    // { stats, svg } for a small drawing; { stats, size, view, bitmap } for a large one, drawn for `view`
    // when it has the size of the last (else fitted) in a box of box.width x box.height at box.ratio.
    preview: (job, onProgress, drawing) => post({ call: 'preview', job, maxSvgBytes: drawing.maxSvgBytes,
      size: drawing.size, view: drawing.view, box: drawing.box }, onProgress),
    render: (view, box) => post({ call: 'render', view, box }),
    readSettings: (bytes, name) => post({ call: 'readSettings', bytes, name }),
    writeSettings: (job, previous) => post({ call: 'writeSettings', job, previous }),
    // Ends every call under way (each rejects with error.cancelled) and starts a new worker for the next.
    cancel() {
      return restart(new Cancelled()).catch(() => {});
    },
  };
}

function pageEngine(sk) {
  const later = (call) => new Promise((resolve, reject) => {
    setTimeout(() => {
      try {
        resolve(call());
      } catch (error) {
        reject(error);
      }
    }, 0);
  });
  return {
    inWorker: false,
    generate: (job) => later(() => sk.generate(job)),
    preview: (job) => later(() => sk.preview(job)),
    render: () => Promise.reject(new Error('no drawing')),
    readSettings: (bytes, name) => later(() => sk.readSettings(bytes, name)),
    writeSettings: (job, previous) => later(() => sk.writeSettings(job, previous)),
    cancel: () => Promise.resolve(),
  };
}

globalThis.SkimplaneWorker = Object.freeze({ start, fitView });
})();
