// Runs inside the core's module before it loads. Its WebAssembly lies inside nucleo.js
// as a data: URI: compiled from there, since the page's security policy lets nothing be
// fetched, data: URIs included.
Module["instantiateWasm"] = function (importacoes, recebe) {
  WebAssembly.instantiate(tryParseAsDataURI(wasmBinaryFile), importacoes)
    .then(function (r) { recebe(r["instance"], r["module"]); }, function (e) { abort(e); });
  return {};
};
