// The page: the window's five pages of entries, Generate (a download), the live preview with its figures,
// the entries kept in the browser, and Skimplane.ini in and out. Every number goes to the generator as
// the text entered; the generator itself (skimplane-api.js) decides what it takes and what it refuses, in
// a worker (skimplane-worker.js), so that the page answers while it works; a long job shows its progress
// with Cancel. A classic script after skimplane-core.js, skimplane-api.js, skimplane-worker.js and
// lang.js, so that the page also runs from a folder opened as a file.

(() => {
const { load: loadSkimplane, headerTime } = globalThis.Skimplane;
const { captions } = globalThis.SkimplaneCaptions;
const { start: startEngine, fitView } = globalThis.SkimplaneWorker;

// The page's number entries, the steps of their arrow keys (Page Up / Page Down for the large one), its
// choices made with radio buttons (named after their field) and the initial values: all from the
// generator's table of the job's fields, once it has loaded.
const numberFields = [];
const choiceFields = [];
const steps = {};
const storageKey = 'skimplane.entries';
const initial = { controller: 0, rapidRate: '5000', fileName: 'facing.nc', language: 'zh', settings: null };

function learnFields() {
  controllers = sk.controllers;
  for (const field of sk.fields) {
    if ((field.kind === 'float' || field.kind === 'integer') && $(field.name)) {
      numberFields.push(field.name);
      steps[field.name] = [field.step, field.largeStep];
      initial[field.name] = String(field.default);
    } else {
      if (field.kind === 'choice' && radioOf(field.name, field.default)) choiceFields.push(field.name);
      initial[field.name] = field.default;
    }
  }
}
// The entries of the controller box, in the window's order, from the generator (sk.controllers).
let controllers = [];

const $ = (id) => document.getElementById(id);
let sk;
let engine; // the generator's calls, in a worker when one could start
let language = 'zh';
let settingsBytes = null; // the imported Skimplane.ini, whose other contents an export keeps
let lastFigures = null;
let refusalShown = false; // the status line holds a refusal of Generate or Export
let statusOf = null; // the status line's message, said again in the other language
let shownRefusal = null; // the refusal beside its entries, said again in the other language

// The radio button of a choice's word, and the word chosen.
function radioOf(name, word) {
  return document.querySelector(`input[type="radio"][name="${CSS.escape(name)}"][value="${CSS.escape(String(word))}"]`);
}
function chosen(name) {
  return document.querySelector(`input[type="radio"][name="${CSS.escape(name)}"]:checked`).value;
}
// A word the page has no button for chooses the field's default.
function choose(name, word) {
  (radioOf(name, word) ?? radioOf(name, initial[name])).checked = true;
}

// An entry's number as the generator reads it, or NaN (for the page's own decisions only: what the
// generator is given is the text).
function numberIn(id) {
  const value = $(id).value.trim().replace(',', '.');
  return /^[+-]?(\d+\.?\d*|\.\d+)(e[+-]?\d+)?$/i.test(value) ? Number(value) : NaN;
}

// The step-over is the overlap entered as a percent of the diameter, as in the window: typing it sets the
// overlap, and the generator takes the percent as typed (its refusal names the step-over); typing the
// overlap or the diameter shows the percent of the overlap kept. Shown to 15 digits, as the window's
// entries, so that 6 - 6 x 33 / 100 shows as 4.02.
let stepoverTyped = false;
const fifteenDigits = (value) => String(Number(value.toPrecision(15)));

function followStepover(id) {
  const diameter = numberIn('diameter');
  if (id === 'stepover') {
    stepoverTyped = true;
    const percent = numberIn('stepover');
    if (Number.isFinite(diameter) && Number.isFinite(percent)) {
      $('overlap').value = fifteenDigits(diameter - (diameter * percent) / 100);
    }
  } else if (id === 'overlap' || id === 'diameter' || id === undefined) {
    stepoverTyped = false;
    const percent = ((diameter - numberIn('overlap')) / diameter) * 100;
    $('stepover').value = Number.isFinite(percent) ? fifteenDigits(percent) : '';
  }
}

// The ramp angle matters only to a ramp entry, the finishing feed only to a finishing layer: as in the
// window, their entries are enabled only then (and keep their values meanwhile).
function enableDependents() {
  $('rampAngle').disabled = chosen('entry') !== 'ramp';
  $('finishFeed').disabled = !(numberIn('finishDepth') > 0);
}

function text(key) {
  return captions[language][key] ?? captions.zh[key] ?? key;
}

// The entry of a dialect and coolant; no coolant (or one the dialect cannot write) is the dialect's own,
// its first entry.
function controllerIndex(dialect, coolant) {
  const exact = controllers.findIndex((c) => c.dialect === dialect && c.coolant === coolant);
  if (exact >= 0) return exact;
  return Math.max(controllers.findIndex((c) => c.dialect === dialect), 0);
}

// The job as the entries stand; `withRapidRate` for the preview, whose figures depend on it.
function currentJob(withRapidRate) {
  const job = {};
  for (const field of numberFields) job[field] = $(field).value.trim().replace(',', '.');
  // Either the step-over as typed or the overlap: the generator takes one of them.
  delete job[stepoverTyped ? 'overlap' : 'stepover'];
  for (const field of choiceFields) job[field] = chosen(field);
  job.absoluteRetract = $('retract-absolute').checked;
  job.edgeClean = $('edgeClean').checked;
  job.finishCentre = $('finishCentre').checked;
  Object.assign(job, controllers[$('controller').selectedIndex] ?? controllers[0]);
  if (withRapidRate) job.rapidRate = $('rapidRate').value.trim().replace(',', '.');
  return job;
}

// The name in 文件名, with ".nc" added when its last part has no extension, as a save dialog adds the
// default one: the header's path line and the download name agree.
function fileName() {
  const name = $('fileName').value.trim() || 'facing.nc';
  const base = name.split(/[\\/]/).pop();
  return /\.[^.\s]+$/.test(base) ? name : `${name.replace(/\.$/, '')}.nc`;
}

// --- Kept in the browser -------------------------------------------------------------------------------

// The browser keeps a few MB per page: an imported file larger than this lasts for the visit only.
const maxKeptSettingsBytes = 256 * 1024;
// As the desktop program, a settings file above 16 MiB is not read.
const maxSettingsBytes = 16 * 1024 * 1024;

function base64(bytes) {
  let text = '';
  for (let at = 0; at < bytes.length; at += 8192) text += String.fromCharCode(...bytes.subarray(at, at + 8192));
  return btoa(text);
}

function save() {
  const kept = { language, fileName: $('fileName').value, rapidRate: $('rapidRate').value };
  for (const field of numberFields) kept[field] = $(field).value;
  for (const field of choiceFields) kept[field] = chosen(field);
  kept.edgeClean = $('edgeClean').checked;
  kept.finishCentre = $('finishCentre').checked;
  kept.controller = $('controller').selectedIndex;
  kept.settings = settingsBytes && settingsBytes.length <= maxKeptSettingsBytes ? base64(settingsBytes) : null;
  try {
    localStorage.setItem(storageKey, JSON.stringify(kept));
  } catch {
    // Storage may be off or full: the page works on without it.
  }
}

function restore() {
  let kept = {};
  try {
    kept = JSON.parse(localStorage.getItem(storageKey) ?? '{}') ?? {};
  } catch {
    kept = {};
  }
  // An earlier page kept the options it had no entries for apart (`machining`).
  const entries = { ...initial, ...kept.machining, ...kept };
  for (const field of numberFields) $(field).value = String(entries[field]);
  for (const field of choiceFields) choose(field, entries[field]);
  $('rapidRate').value = String(entries.rapidRate);
  $('fileName').value = String(entries.fileName);
  $('edgeClean').checked = Boolean(entries.edgeClean);
  $('finishCentre').checked = Boolean(entries.finishCentre);
  $('controller').selectedIndex = Number.isInteger(entries.controller) ? entries.controller : 0;
  language = entries.language === 'en' ? 'en' : 'zh';
  try {
    settingsBytes = entries.settings ? Uint8Array.from(atob(entries.settings), (c) => c.charCodeAt(0)) : null;
  } catch {
    settingsBytes = null;
  }
  // The retract mode is not kept: every start is relative, as in the window.
  $('retract-relative').checked = true;
  followStepover();
  enableDependents();
}

// A job read from a Skimplane.ini (or what could be read of it) into the entries.
function applyJob(job) {
  for (const field of numberFields) if (typeof job[field] === 'number') $(field).value = String(job[field]);
  for (const field of choiceFields) choose(field, job[field]);
  $('edgeClean').checked = job.edgeClean !== false;
  $('finishCentre').checked = job.finishCentre === true;
  $('controller').selectedIndex = controllerIndex(job.dialect, job.coolant);
  followStepover();
  enableDependents();
}

// --- Messages in the page's language --------------------------------------------------------------------

// The caption that names each entry a message may be about (by its web name), as the window names it.
const captionOfEntry = {
  x: 'Label3', y: 'Label1', diameter: 'Label5', overlap: 'Label6', stepDown: 'Label7', retract: 'Label8',
  absoluteRetract: 'CheckBox6', layers: 'Label9', spindle: 'Label10', feed: 'Label11', strategy: 'Label12',
  edgeClean: 'CheckBox4', finishCentre: 'PreviewCentrePass', dialect: 'Controller', coolant: 'Controller',
  dwell: 'Label44', overcut: 'Label31', entry: 'Label33', rampAngle: 'Label34', stepover: 'Label37',
  direction: 'Label36', finishDepth: 'Label40', finishFeed: 'Label42', rapidRate: 'PreviewRapidRate',
};

// A part of a message in Chinese: an entry by its caption without the colon ("直径(R)"), a value as
// written, words by key with their arguments put in (in one pass, as the generator fills them: a value's
// "%1" stays); null for a key without words, which is said in English.
function chineseOf(part) {
  if (part.entry && captionOfEntry[part.entry]) return text(captionOfEntry[part.entry]).replace(/[：:\s]+$/u, '');
  if (!part.key) return part.text;
  const words = sk.messageWords[part.key];
  if (!words) return null;
  const args = (part.args ?? []).map((arg) => chineseOf(arg) ?? arg.text);
  return words.replace(/%([1-9])/g, (all, n) => (n <= args.length ? args[n - 1] : all));
}

// A refusal or a settings failure in the page's language; in English the generator's message as it is.
function messageOf(error) {
  if (language !== 'zh' || !error.key) return error.message;
  return (chineseOf({ key: error.key, args: error.args }) ?? error.message).replace(/[\r\n]/g, ' ');
}

// --- Messages next to the entries ----------------------------------------------------------------------

// The page's entries a refusal is about, from the fields the generator names: the controller box holds
// the dialect and coolant, the retract entry its mode; a choice's buttons are marked together.
function entriesOfRefusal(error) {
  const entry = { dialect: 'controller', coolant: 'controller', absoluteRetract: 'retract' };
  const entries = (error.fields ?? []).map((field) => entry[field] ?? field).filter((id) => $(id) && $(`${id}-error`));
  return [...new Set(entries)];
}

function clearMessages() {
  shownRefusal = null;
  for (const error of document.querySelectorAll('.error')) error.textContent = '';
  for (const input of document.querySelectorAll('[aria-invalid="true"]')) input.removeAttribute('aria-invalid');
}

// Shows a refusal next to its entry (the first named one carries the text) and says so in the preview.
function showRefusal(error, where) {
  shownRefusal = { error, where };
  const message = messageOf(error);
  const fields = entriesOfRefusal(error);
  fields.forEach((field, i) => {
    $(field).setAttribute('aria-invalid', 'true');
    if (i === 0) $(`${field}-error`).textContent = message;
  });
  if (where) where.textContent = message;
  return fields;
}

// --- The preview ---------------------------------------------------------------------------------------

function minutesText(minutes) {
  const seconds = Math.round(minutes * 60);
  const clock = `${Math.floor(seconds / 3600)}:${String(Math.floor(seconds / 60) % 60).padStart(2, '0')}:` +
    `${String(seconds % 60).padStart(2, '0')}`;
  return clock + text('PreviewMinutes').replace('%1', minutes.toFixed(2));
}

function showFigures(stats) {
  lastFigures = stats;
  const list = $('figure-list');
  list.replaceChildren();
  if (!stats) return;
  const share = (percent) => text('PreviewShareOfFace').replace('%1', percent.toFixed(2)).replace('%2', stats.uncut_layer);
  const rows = [
    ['PreviewLines', String(stats.lines)],
    ['PreviewLayers', String(stats.layers)],
    ['PreviewFeedPath', `${stats.feed_path_mm.toFixed(3)} mm`],
    ['PreviewRapidPath', `${stats.rapid_path_mm.toFixed(3)} mm`],
    ['PreviewRapidRateFigure', `${stats.rapid_rate_mm_min} mm/min`],
    ['PreviewCycleTime', stats.cycle_time_min === null ? text('PreviewTimeFeedUnknown') : minutesText(stats.cycle_time_min)],
    ['PreviewUncutInside', `${stats.uncut_interior_mm2.toFixed(3)} mm²${share(stats.uncut_interior_percent)}`],
    ['PreviewUncutCorner', `${stats.uncut_corner_mm2.toFixed(3)} mm²${share(stats.uncut_corner_percent)}`],
  ];
  // The machining options' rows and legend entries, as the window's, only for a program that has them.
  const fill = (key, ...values) => values.reduce((t, v, i) => t.replace(`%${i + 1}`, v), text(key));
  if (stats.overcut_mm > 0)
    rows.push(['PreviewOvercut', fill('PreviewOvercutValue', stats.overcut_mm.toFixed(3), stats.uncut_layer)]);
  if (stats.ramps > 0) {
    rows.push(['PreviewRamps', fill('PreviewRampsValue', stats.ramps, stats.ramp_legs,
      stats.ramp_steepest_deg.toFixed(3))]);
  }
  if (stats.returns > 0) rows.push(['PreviewReturns', String(stats.returns)]);
  if (stats.finish_layer !== null) {
    rows.push(['PreviewFinish', fill('PreviewFinishValue', stats.finish_layer, stats.finish_level_mm.toFixed(3),
      stats.finish_feed_mm_min.toFixed(0))]);
  }
  $('legend-ramp').hidden = !(stats.ramps > 0);
  $('legend-return').hidden = !(stats.returns > 0);
  $('legend-overcut').hidden = !(stats.overcut_mm > 0);
  for (const [key, value] of rows) {
    const term = document.createElement('dt');
    term.textContent = text(key);
    const detail = document.createElement('dd');
    detail.textContent = value;
    detail.dataset.figure = key;
    list.append(term, detail);
  }
}

// The drawing's own figures below the face are listed in the page's language instead: the picture ends
// a margin below the face.
function cropToFace(svg) {
  const face = svg?.querySelector('#face');
  if (!face) return;
  const width = Number(svg.getAttribute('width'));
  const height = Number(face.getAttribute('y')) * 2 + Number(face.getAttribute('height'));
  svg.setAttribute('viewBox', `0 0 ${width} ${height}`);
  svg.setAttribute('height', String(height));
  svg.querySelector('#figures')?.remove();
}

// --- The drawing's view: the wheel zooms about the pointer, a drag pans, F or Home fits ---------------------

// A drawing up to this size is shown as the module's SVG; a larger one the worker draws into a bitmap for
// the view shown, which the page only places (its SVG would take the page seconds to take in).
const maxSvgBytes = 1_000_000;
// The drawing shown: its size (the SVG's units), the view (centre x, y and CSS pixels per unit), and for a
// large one the bitmap with the view it was drawn for.
const drawing = { size: null, view: null, bitmap: null, bitmapView: null, rendering: false };

function drawingBox() {
  const element = $('drawing');
  return { width: element.clientWidth || 1, height: element.clientHeight || 1, ratio: window.devicePixelRatio || 1 };
}

function showView() {
  const { view, size } = drawing;
  const element = $('drawing');
  element.dataset.scale = view ? String(view.scale) : '';
  if (!view || !size) return;
  const box = drawingBox();
  const svg = element.querySelector('svg');
  if (svg) {
    const width = box.width / view.scale;
    const height = box.height / view.scale;
    svg.setAttribute('viewBox', `${view.x - width / 2} ${view.y - height / 2} ${width} ${height}`);
    return;
  }
  const canvas = element.querySelector('canvas');
  if (!canvas || !drawing.bitmap) return;
  canvas.width = Math.round(box.width * box.ratio);
  canvas.height = Math.round(box.height * box.ratio);
  const g = canvas.getContext('2d');
  g.fillStyle = '#ffffff';
  g.fillRect(0, 0, canvas.width, canvas.height);
  // The bitmap drawn for another view, moved and scaled to this one until the worker draws it anew.
  const from = drawing.bitmapView;
  const zoom = view.scale / from.scale;
  const left = ((from.x - box.width / 2 / from.scale) - view.x) * view.scale + box.width / 2;
  const top = ((from.y - box.height / 2 / from.scale) - view.y) * view.scale + box.height / 2;
  g.drawImage(drawing.bitmap, left * box.ratio, top * box.ratio, canvas.width * zoom, canvas.height * zoom);
}

// Asks the worker for the large drawing at the view shown; one at a time, the last view wins.
async function renderView() {
  if (drawing.rendering || !drawing.bitmap) return;
  const view = { ...drawing.view };
  drawing.rendering = true;
  try {
    const answer = await engine.render(view, drawingBox());
    if (drawing.bitmap) drawing.bitmap.close();
    drawing.bitmap = answer.bitmap;
    drawing.bitmapView = answer.view;
    showView();
  } catch {
    // Cancelled, or the drawing changed meanwhile: the next one comes with its own bitmap.
  } finally {
    drawing.rendering = false;
  }
  const now = drawing.view;
  if (drawing.bitmap && now && (now.x !== view.x || now.y !== view.y || now.scale !== view.scale)) renderView();
}

function changeView(view) {
  if (!drawing.size) return;
  const fit = fitView(drawing.size, drawingBox());
  const scale = Math.min(Math.max(view.scale, fit.scale / 4), fit.scale * 2000);
  drawing.view = { x: view.x, y: view.y, scale };
  showView();
  renderView();
}

function fitDrawing() {
  if (drawing.size) changeView(fitView(drawing.size, drawingBox()));
}

// The answer of a preview into the drawing: the SVG, or the bitmap of a large drawing.
function showDrawing(answer) {
  const element = $('drawing');
  if (drawing.bitmap) drawing.bitmap.close();
  drawing.bitmap = null;
  if (answer.svg !== undefined) {
    element.innerHTML = answer.svg;
    const svg = element.querySelector('svg');
    cropToFace(svg);
    const size = svg ? svg.viewBox.baseVal : null;
    const same = size && drawing.size && size.width === drawing.size.width && size.height === drawing.size.height;
    drawing.size = size ? { width: size.width, height: size.height } : null;
    drawing.view = same && drawing.view ? drawing.view : drawing.size && fitView(drawing.size, drawingBox());
    if (svg) {
      svg.removeAttribute('width');
      svg.removeAttribute('height');
    }
  } else {
    if (!element.querySelector('canvas') || element.childElementCount !== 1) {
      const canvas = document.createElement('canvas');
      canvas.setAttribute('aria-hidden', 'true');
      element.replaceChildren(canvas);
    }
    drawing.size = answer.size;
    drawing.view = answer.view;
    drawing.bitmap = answer.bitmap;
    drawing.bitmapView = answer.view;
    element.dataset.times = answer.times?.join(' ') ?? '';
  }
  showView();
}

function clearDrawing() {
  if (drawing.bitmap) drawing.bitmap.close();
  Object.assign(drawing, { size: null, view: null, bitmap: null, bitmapView: null });
  $('drawing').replaceChildren();
}

function wireDrawing() {
  const element = $('drawing');
  element.addEventListener('wheel', (event) => {
    if (!drawing.view) return;
    event.preventDefault();
    const rect = element.getBoundingClientRect();
    const delta = event.deltaY * (event.deltaMode === 1 ? 16 : event.deltaMode === 2 ? rect.height : 1);
    const { x, y, scale } = drawing.view;
    const next = scale * Math.exp(-delta * 0.002);
    // The point under the pointer stays there.
    const px = event.clientX - rect.left - rect.width / 2;
    const py = event.clientY - rect.top - rect.height / 2;
    const at = { x: x + px / scale, y: y + py / scale };
    changeView({ x: at.x - px / next, y: at.y - py / next, scale: next });
  }, { passive: false });
  let dragging = null;
  element.addEventListener('pointerdown', (event) => {
    if (!drawing.view || event.button !== 0) return;
    dragging = { x: event.clientX, y: event.clientY };
    element.setPointerCapture(event.pointerId);
    element.classList.add('dragging');
  });
  element.addEventListener('pointermove', (event) => {
    if (!dragging || !drawing.view) return;
    const { x, y, scale } = drawing.view;
    const view = { x: x - (event.clientX - dragging.x) / scale, y: y - (event.clientY - dragging.y) / scale, scale };
    dragging = { x: event.clientX, y: event.clientY };
    changeView(view);
  });
  const stop = () => {
    dragging = null;
    element.classList.remove('dragging');
  };
  element.addEventListener('pointerup', stop);
  element.addEventListener('pointercancel', stop);
  element.addEventListener('keydown', (event) => {
    if (event.key !== 'f' && event.key !== 'F' && event.key !== 'Home') return;
    event.preventDefault();
    fitDrawing();
  });
  window.addEventListener('resize', () => {
    showView();
    renderView();
  });
}

// --- Progress of a long job, with Cancel ---------------------------------------------------------------------

// Above this many lines (the estimate) a job shows its progress, as the window's preview does.
const progressLines = 300_000;

// The progress report of one call: `share` of the bar is the lines' part of the work.
function progressOf(captionKey, share) {
  return (lines, estimate) => {
    if (!(estimate > progressLines)) return;
    $('progress').hidden = false;
    $('progress-caption').textContent = text(captionKey);
    $('progress-bar').value = Math.min(Math.floor((lines / estimate) * share * 1000), 999);
    document.body.dataset.progress = String(lines);
  };
}

function hideProgress() {
  if (!previewing && !generating) $('progress').hidden = true;
}

let updates = 0;
let previewing = false; // a preview is under way
let again = false; // entries changed while it was

// Runs after every change: checks the job, draws it and lists its figures. A change made while the
// generator works is followed once it is done (the changes typed meanwhile gathered into one).
async function refresh() {
  if (previewing) {
    again = true;
    return;
  }
  previewing = true;
  document.body.dataset.pending = 'true';
  const started = performance.now();
  clearMessages();
  save();
  try {
    const answer = await engine.preview(currentJob(true), progressOf('PreviewWorking', 0.9),
      { maxSvgBytes, size: drawing.size, view: drawing.view, box: drawingBox() });
    showDrawing(answer);
    showFigures(answer.stats);
    $('preview-error').textContent = '';
    if (refusalShown) setStatus('', false);
  } catch (error) {
    if (error.cancelled) {
      // As the window: the drawing still shows the job before.
      $('preview-error').textContent = text('PreviewCancelled');
    } else {
      clearDrawing();
      showFigures(null);
      showRefusal(error, $('preview-error'));
    }
  }
  previewing = false;
  hideProgress();
  // For the benchmark: how long the last change took from the entry to the drawing.
  document.body.dataset.updateMs = (performance.now() - started).toFixed(2);
  document.body.dataset.updates = String(++updates);
  if (again) {
    again = false;
    refresh();
  } else {
    document.body.dataset.pending = 'false';
  }
}

let timer = null;
function scheduleRefresh() {
  document.body.dataset.pending = 'true';
  if (previewing) {
    again = true;
  } else if (timer === null) {
    timer = setTimeout(() => {
      timer = null;
      refresh();
    }, 0);
  }
}

// Cancel ends the work under way and the changes waiting for it.
function cancel() {
  again = false;
  engine.cancel();
}

// --- Commands ------------------------------------------------------------------------------------------

function download(bytes, name, type) {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60_000);
}

// `message`: a text, or a function that says it in the page's language. A refusal of Generate or Export
// goes with the next preview that is not refused; a `lasting` one (what an import could not read) stays
// until the next message.
function setStatus(message, refused, lasting = false) {
  statusOf = typeof message === 'function' ? message : null;
  $('status').textContent = statusOf ? statusOf() : message;
  $('status').classList.toggle('refused', refused);
  refusalShown = refused && !lasting;
}

let generating = false;

async function generate() {
  if (generating) return;
  generating = true;
  document.body.dataset.generating = 'true';
  clearMessages();
  const name = fileName();
  try {
    const bytes = await engine.generate({ ...currentJob(false), fileName: name, time: headerTime() },
      progressOf('Generating', 1));
    // The header shows the name as entered; the download takes its last part.
    const base = name.split(/[\\/]/).pop() || 'facing.nc';
    download(bytes, base, 'text/plain');
    setStatus(text('Written').replace('%1', base).replace('%2', String(bytes.length)), false);
  } catch (error) {
    if (error.cancelled) {
      // Not an error: nothing is written and nothing is said, as in the window.
      setStatus('', false);
    } else {
      const fields = showRefusal(error, null);
      setStatus(() => text('Refused') + messageOf(error), true);
      if (fields.length > 0) showPageOf(fields[0]);
    }
  }
  generating = false;
  hideProgress();
  document.body.dataset.generating = 'false';
}

async function importSettings(file) {
  clearMessages();
  if (file.size > maxSettingsBytes) {
    // The desktop program's message for a file above its limit.
    const limit = { text: 'Larger than the limit of 16 MiB (16777216 bytes)', key: 'FileLargerThanMiB',
      args: [{ text: '16' }, { text: '16777216' }] };
    const tooLarge = { message: `Cannot open file "${file.name}". ${limit.text}`, key: 'FileNotOpened',
      args: [{ text: file.name }, limit] };
    setStatus(() => messageOf(tooLarge), true);
    return;
  }
  const bytes = new Uint8Array(await file.arrayBuffer());
  try {
    applyJob(await engine.readSettings(bytes, file.name));
    setStatus(text('Imported').replace('%1', file.name), false);
  } catch (error) {
    if (error.job) applyJob(error.job);
    setStatus(() => messageOf(error), true, true);
  }
  settingsBytes = bytes;
  refresh();
}

async function exportSettings() {
  try {
    download(await engine.writeSettings(currentJob(false), settingsBytes ?? undefined), 'Skimplane.ini', 'text/plain');
  } catch (error) {
    showRefusal(error, null);
    setStatus(() => text('Refused') + messageOf(error), true);
  }
}

// --- Tabs and language ---------------------------------------------------------------------------------

const tabs = () => [...document.querySelectorAll('[role="tab"]')];

function selectTab(tab, focus) {
  for (const other of tabs()) {
    const selected = other === tab;
    other.setAttribute('aria-selected', String(selected));
    other.tabIndex = selected ? 0 : -1;
    $(other.getAttribute('aria-controls')).hidden = !selected;
  }
  if (focus) tab.focus();
}

function showPageOf(field) {
  const page = $(field).closest('[role="tabpanel"]');
  if (page) selectTab($(page.getAttribute('aria-labelledby')), false);
}

function applyLanguage() {
  document.documentElement.lang = language === 'en' ? 'en' : 'zh-CN';
  for (const element of document.querySelectorAll('[data-text]')) element.textContent = text(element.dataset.text);
  $('language').lang = language === 'en' ? 'zh-CN' : 'en';
  $('drawing').setAttribute('aria-label', text('PreviewTitle'));
  $('finishCentre').parentElement.title = text('PreviewCentrePassHint');
  const select = $('controller');
  const chosen = select.selectedIndex;
  select.replaceChildren(...text('Controllers').split('|').map((caption) => new Option(caption)));
  select.selectedIndex = chosen < 0 ? 0 : chosen;
  showFigures(lastFigures);
  // The messages shown, in the new language.
  if (shownRefusal) showRefusal(shownRefusal.error, shownRefusal.where);
  if (statusOf) $('status').textContent = statusOf();
}

// Up and Down change an entry by its step, Page Up and Page Down by its large step, as in the window.
// An entry that is not a number is left for its message.
function spin(event) {
  const [step, large] = steps[event.target.id];
  const by = { ArrowUp: step, ArrowDown: -step, PageUp: large, PageDown: -large }[event.key];
  const value = Number(event.target.value.trim().replace(',', '.'));
  if (!by || event.target.value.trim() === '' || !Number.isFinite(value)) return;
  event.preventDefault();
  event.target.value = String(Number((value + by).toFixed(10)));
  entryChanged(event);
}

function entryChanged(event) {
  followStepover(event.target.id);
  enableDependents();
  scheduleRefresh();
}

function wire() {
  for (const field of numberFields) $(field).addEventListener('keydown', spin);
  for (const element of document.querySelectorAll('#app input, #app select')) {
    if (element.type === 'file' || element.id === 'fileName') continue;
    element.addEventListener(element.type === 'radio' || element.type === 'checkbox' || element.tagName === 'SELECT' ? 'change' : 'input', entryChanged);
  }
  $('fileName').addEventListener('input', save);
  $('generate').addEventListener('click', generate);
  $('import').addEventListener('click', () => $('import-file').click());
  $('import-file').addEventListener('change', (event) => {
    const [file] = event.target.files;
    if (file) importSettings(file);
    event.target.value = '';
  });
  $('export').addEventListener('click', exportSettings);
  $('cancel').addEventListener('click', cancel);
  wireDrawing();
  $('language').addEventListener('click', () => {
    language = language === 'en' ? 'zh' : 'en';
    applyLanguage();
    save();
  });
  for (const tab of tabs()) {
    tab.addEventListener('click', () => selectTab(tab, false));
    tab.addEventListener('keydown', (event) => {
      const all = tabs();
      const at = all.indexOf(tab);
      const next = { ArrowRight: at + 1, ArrowLeft: at - 1, Home: 0, End: all.length - 1 }[event.key];
      if (next === undefined) return;
      event.preventDefault();
      selectTab(all[(next + all.length) % all.length], true);
    });
  }
}

async function start() {
  // The controller box needs its entries before the kept choice is restored.
  $('controller').replaceChildren(...captions.zh.Controllers.split('|').map((caption) => new Option(caption)));
  try {
    sk = await loadSkimplane();
    engine = await startEngine();
  } catch (error) {
    applyLanguage();
    setStatus(`WebAssembly: ${error.message}`, true);
    return;
  }
  learnFields();
  restore();
  applyLanguage();
  wire();
  await refresh();
  $('app').setAttribute('aria-busy', 'false');
  document.body.dataset.worker = String(engine.inWorker);
  document.body.dataset.ready = 'true';
}

start();
})();
