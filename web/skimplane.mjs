// Skimplane's generator as an ES module, for Node and for pages that import it:
//
//   import loadSkimplane from './skimplane.mjs';
//   const sk = await loadSkimplane;            // the default export resolves to the API
//   const bytes = sk.generate({ x: 20, y: 12, layers: 2, time: '2011-06-18 14:05' });
//
// The API itself and the job's fields are described in skimplane-api.js.

import './skimplane-core.js';
import './skimplane-api.js';

const { load, headerTime } = globalThis.Skimplane;

export { headerTime };
export default load();
