// The page: the window's four pages of entries, Generate (a download), the live preview with its figures,
// the entries kept in the browser, and Skimplane.ini in and out. Every number goes to the generator as
// the text entered; the generator itself (skimplane-api.js) decides what it takes and what it refuses.
// A classic script after skimplane-core.js, skimplane-api.js and lang.js, so that the page also runs from
// a folder opened as a file.

(() => {
const { load: loadSkimplane, headerTime } = globalThis.Skimplane;
const { captions } = globalThis.SkimplaneCaptions;

// The page's number entries, the steps of their arrow keys (Page Up / Page Down for the large one) and the
// initial values: all from the generator's table of the job's fields, once it has loaded.
const numberFields = [];
const steps = {};
const storageKey = 'skimplane.entries';
const initial = { controller: 0, rapidRate: '5000', fileName: 'facing.nc', language: 'zh', settings: null };

function learnFields() {
  for (const field of sk.fields) {
    if ((field.kind === 'float' || field.kind === 'integer') && $(field.name)) {
      numberFields.push(field.name);
      steps[field.name] = [field.step, field.largeStep];
      initial[field.name] = String(field.default);
    } else {
      initial[field.name] = field.default;
    }
  }
}
// The five entries of the controller box, in the window's order.
const controllers = [
  { dialect: 'iso', coolant: 'mist' }, { dialect: 'iso', coolant: 'flood' }, { dialect: 'iso', coolant: 'off' },
  { dialect: 'grbl', coolant: 'off' }, { dialect: 'grbl', coolant: 'flood' },
];

const $ = (id) => document.getElementById(id);
let sk;
let language = 'zh';
let dwell = 0; // kept from an imported file; the window has no control for it
// The cut direction and the finishing layer: kept from an imported file until the page has entries for them.
let machining = {};
let settingsBytes = null; // the imported Skimplane.ini, whose other contents an export keeps
let lastFigures = null;

function text(key) {
  return captions[language][key] ?? captions.zh[key] ?? key;
}

function controllerIndex(dialect, coolant) {
  if (dialect === 'grbl') return coolant === 'flood' ? 4 : 3;
  if (coolant === 'flood') return 1;
  return coolant === 'off' ? 2 : 0;
}

// The job as the entries stand; `withRapidRate` for the preview, whose figures depend on it.
function currentJob(withRapidRate) {
  const job = {};
  for (const field of numberFields) job[field] = $(field).value.trim().replace(',', '.');
  job.absoluteRetract = $('retract-absolute').checked;
  job.strategy = document.querySelector('input[name="strategy"]:checked').value;
  job.edgeClean = $('edgeClean').checked;
  job.finishCentre = $('finishCentre').checked;
  Object.assign(job, controllers[$('controller').selectedIndex] ?? controllers[0]);
  job.dwell = dwell;
  Object.assign(job, machining);
  if (withRapidRate) job.rapidRate = $('rapidRate').value.trim().replace(',', '.');
  return job;
}

function fileName() {
  return $('fileName').value.trim() || 'facing.nc';
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
  const kept = { language, dwell, machining, fileName: $('fileName').value, rapidRate: $('rapidRate').value };
  for (const field of numberFields) kept[field] = $(field).value;
  kept.strategy = document.querySelector('input[name="strategy"]:checked').value;
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
  const entries = { ...initial, ...kept };
  for (const field of numberFields) $(field).value = String(entries[field]);
  $('rapidRate').value = String(entries.rapidRate);
  $('fileName').value = String(entries.fileName);
  const strategy = document.querySelector(`input[name="strategy"][value="${CSS.escape(String(entries.strategy))}"]`);
  (strategy ?? document.querySelector('input[name="strategy"][value="spiral"]')).checked = true;
  $('edgeClean').checked = Boolean(entries.edgeClean);
  $('finishCentre').checked = Boolean(entries.finishCentre);
  $('controller').selectedIndex = Number.isInteger(entries.controller) ? entries.controller : 0;
  dwell = Number(entries.dwell) || 0;
  machining = entries.machining && typeof entries.machining === 'object' ? entries.machining : {};
  language = entries.language === 'en' ? 'en' : 'zh';
  try {
    settingsBytes = entries.settings ? Uint8Array.from(atob(entries.settings), (c) => c.charCodeAt(0)) : null;
  } catch {
    settingsBytes = null;
  }
  // The retract mode is not kept: every start is relative, as in the window.
  $('retract-relative').checked = true;
}

// A job read from a Skimplane.ini (or what could be read of it) into the entries.
function applyJob(job) {
  for (const field of numberFields) if (typeof job[field] === 'number') $(field).value = String(job[field]);
  const strategy = document.querySelector(`input[name="strategy"][value="${CSS.escape(job.strategy ?? 'spiral')}"]`);
  if (strategy) strategy.checked = true;
  $('edgeClean').checked = job.edgeClean !== false;
  $('finishCentre').checked = job.finishCentre === true;
  $('controller').selectedIndex = controllerIndex(job.dialect, job.coolant);
  dwell = job.dwell ?? 0;
  machining = { direction: job.direction, finishDepth: job.finishDepth, finishFeed: job.finishFeed };
}

// --- Messages next to the entries ----------------------------------------------------------------------

// The page's entries a refusal is about, from the fields the generator names: the controller box holds
// the dialect, coolant and dwell, the retract entry its mode.
function entriesOfRefusal(error) {
  const entry = { dialect: 'controller', coolant: 'controller', dwell: 'controller', absoluteRetract: 'retract' };
  const entries = (error.fields ?? []).map((field) => entry[field] ?? field).filter((id) => $(id) && $(`${id}-error`));
  return [...new Set(entries)];
}

function clearMessages() {
  for (const error of document.querySelectorAll('.error')) error.textContent = '';
  for (const input of document.querySelectorAll('[aria-invalid="true"]')) input.removeAttribute('aria-invalid');
}

// Shows a refusal next to its entry (the first named one carries the text) and says so in the preview.
function showRefusal(error, where) {
  const { message } = error;
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

let updates = 0;

// Runs after every change: checks the job, draws it and lists its figures.
function refresh() {
  const started = performance.now();
  clearMessages();
  save();
  try {
    const { stats, svg } = sk.preview(currentJob(true));
    $('drawing').innerHTML = svg;
    cropToFace($('drawing').querySelector('svg'));
    showFigures(stats);
    $('preview-error').textContent = '';
  } catch (error) {
    $('drawing').replaceChildren();
    showFigures(null);
    showRefusal(error, $('preview-error'));
  }
  // For the benchmark: how long the last change took from the entry to the drawing.
  document.body.dataset.updateMs = (performance.now() - started).toFixed(2);
  document.body.dataset.updates = String(++updates);
}

// A change redraws as soon as the page is free: while a slow drawing runs (a large face with a small
// cutter can take a second), the keys typed meanwhile are gathered into one redraw after it.
let pending = null;
function scheduleRefresh() {
  if (pending !== null) clearTimeout(pending);
  document.body.dataset.pending = 'true';
  pending = setTimeout(() => {
    pending = null;
    document.body.dataset.pending = 'false';
    refresh();
  }, 0);
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

function setStatus(message, refused) {
  $('status').textContent = message;
  $('status').classList.toggle('refused', refused);
}

function generate() {
  clearMessages();
  const name = fileName();
  try {
    const bytes = sk.generate({ ...currentJob(false), fileName: name, time: headerTime() });
    // The header shows the name as entered; the download takes its last part.
    const base = name.split(/[\\/]/).pop() || 'facing.nc';
    download(bytes, base, 'text/plain');
    setStatus(text('Written').replace('%1', base).replace('%2', String(bytes.length)), false);
  } catch (error) {
    const fields = showRefusal(error, null);
    setStatus(text('Refused') + error.message, true);
    if (fields.length > 0) showPageOf(fields[0]);
  }
}

async function importSettings(file) {
  clearMessages();
  if (file.size > maxSettingsBytes) {
    setStatus(`Cannot open file "${file.name}". Larger than the limit of 16 MiB (16777216 bytes)`, true);
    return;
  }
  const bytes = new Uint8Array(await file.arrayBuffer());
  try {
    applyJob(sk.readSettings(bytes, file.name));
    setStatus(text('Imported').replace('%1', file.name), false);
  } catch (error) {
    if (error.job) applyJob(error.job);
    setStatus(error.message, true);
  }
  settingsBytes = bytes;
  refresh();
}

function exportSettings() {
  try {
    download(sk.writeSettings(currentJob(false), settingsBytes ?? undefined), 'Skimplane.ini', 'text/plain');
  } catch (error) {
    showRefusal(error, null);
    setStatus(text('Refused') + error.message, true);
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
}

// Up and Down change an entry by its step, Page Up and Page Down by its large step, as in the window.
// An entry that is not a number is left for its message.
function spin(event) {
  const [step, large] = steps[event.target.id];
  const by = { ArrowUp: step, ArrowDown: -step, PageUp: large, PageDown: -large }[event.key];
  const value = Number(event.target.value.trim().replace(',', '.'));
  if (by === undefined || event.target.value.trim() === '' || !Number.isFinite(value)) return;
  event.preventDefault();
  event.target.value = String(Number((value + by).toFixed(10)));
  scheduleRefresh();
}

function wire() {
  for (const field of numberFields) $(field).addEventListener('keydown', spin);
  for (const element of document.querySelectorAll('#app input, #app select')) {
    if (element.type === 'file' || element.id === 'fileName') continue;
    element.addEventListener(element.type === 'radio' || element.type === 'checkbox' || element.tagName === 'SELECT' ? 'change' : 'input', scheduleRefresh);
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
  } catch (error) {
    applyLanguage();
    setStatus(`WebAssembly: ${error.message}`, true);
    return;
  }
  learnFields();
  restore();
  applyLanguage();
  wire();
  refresh();
  $('app').setAttribute('aria-busy', 'false');
  document.body.dataset.ready = 'true';
}

start();
})();
