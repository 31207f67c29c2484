// Makes the module's factory reachable however this script is loaded: a classic <script> (also from a
// page opened as a file), an ES module import, or Node's require.
globalThis.createSkimplaneCore = createSkimplaneCore;
