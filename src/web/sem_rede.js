// Runs inside the core's module before it loads: its WebAssembly lies inside nucleo.js,
// and with no fetch in sight the module decodes it from there rather than asking the
// browser to fetch it, which the page's security policy forbids.
var fetch;
