// Times one general-purpose VDF parser from the npm registry on the same
// document as acf_benchmark, for comparison only:
//   node npm_compare.js MODULE DOCUMENT
// MODULE must be installed where Node finds it (NODE_PATH) and export
// parse(text). Prints one line: module, MB/s, peak MiB, libraries found.
'use strict';
const fs = require('fs');

const [moduleName, documentPath] = process.argv.slice(2);
const parser = require(moduleName);
const text = fs.readFileSync(documentPath, 'latin1');
const megabytes = Buffer.byteLength(text, 'latin1') / 1e6;

let libraries = 0;
const seconds = [];
const start = process.hrtime.bigint();
while (seconds.length < 3 || (seconds.length < 20 && Number(process.hrtime.bigint() - start) < 5e9)) {
  const before = process.hrtime.bigint();
  const document = parser.parse(text);
  seconds.push(Number(process.hrtime.bigint() - before) / 1e9);
  libraries = Object.keys(document.libraryfolders || {}).length;
}
const mean = seconds.reduce((a, b) => a + b, 0) / seconds.length;
const peakMib = process.resourceUsage().maxRSS / 1024;
console.log(`${moduleName.padEnd(18)} ${(megabytes / mean).toFixed(1).padStart(7)} MB/s` +
            `  peak ${peakMib.toFixed(0).padStart(5)} MiB  (${seconds.length} runs, ${libraries} entries under libraryfolders)`);
