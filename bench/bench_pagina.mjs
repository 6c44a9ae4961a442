// The web page in headless Chromium: how long it takes from navigation start to ready
// (body.dataset.pronto) opened from file://, the size of what it loads, and a full
// programming exchange through the serial stand-in beside `vantora-prog send` on the same
// emulator (--ritmo: answers after the bytes would have crossed the line), at the same
// speed, and the stand-in alone (its round trips without the pauses). Medians; prints
// figures and never fails.
// Usage: node bench/bench_pagina.mjs (after scripts/web.sh and a build in build/).
import { spawn } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { PAGINA, BIN, RAIZ, emulador, ponte, navegador, contexto, abre } from "../tests/web/ponte.mjs";

const MERCADO = path.join(RAIZ, "examples/mercado.key");
const mediana = (v) => [...v].sort((a, b) => a - b)[Math.floor(v.length / 2)];
// When the page said it was ready, and when a send began and its message showed, by the
// page's own clock.
const MARCAS = `window.__marcas = {};
new MutationObserver((ms) => { for (const m of ms) {
    if (m.attributeName === "data-pronto" && document.body.dataset.pronto === "sim") __marcas.pronta ??= performance.now();
    if (m.attributeName === "open" && m.target.id === "Mensagem" && m.target.open) __marcas.mensagem = performance.now();
} }).observe(document, { subtree: true, attributes: true, attributeFilter: ["data-pronto", "open"] });
addEventListener("click", (e) => { if (e.target.closest && e.target.closest("#Cmd_Grava_Teclado")) __marcas.envio = performance.now(); }, true);`;

try {
    const bytes = fs.readdirSync(PAGINA).reduce((s, f) => s + fs.statSync(path.join(PAGINA, f)).size, 0);
    console.log(`build-web/pagina: ${(bytes / 1024).toFixed(0)} KB (alvo < 1024 KB)`);

    const nav = await navegador();
    const b = await ponte();
    const ctx = await contexto(nav, b, MARCAS);
    const prontas = [];
    for (let i = 0; i < 10; ++i) {
        const p = await abre(ctx);
        prontas.push(await p.evaluate(() => __marcas.pronta));
        await p.close();
    }
    console.log(`pronta (file://, início da navegação até pronto): mediana ${mediana(prontas).toFixed(0)} ms ` +
        `de ${prontas.length}, de ${Math.min(...prontas).toFixed(0)} a ${Math.max(...prontas).toFixed(0)} ms (alvo < 1000 ms)`);

    const p = await abre(ctx);
    const [escolha] = await Promise.all([p.waitForEvent("filechooser"), p.click("#Abrir")]);
    await escolha.setFiles(MERCADO);
    for (const baud of [57600, 9600]) {
        const pagina = [], prog = [];
        for (let i = 0; i < 5; ++i) {
            let sim = await emulador(["--ritmo"]);
            b.caminho = sim.caminho;
            await p.click(baud === 9600 ? "#Opt_9600_0" : "#Opt_9600_1");
            await p.click("#Cmd_Grava_Teclado");
            await p.waitForSelector("#Mensagem[open]", { timeout: 60000 });
            const m = await p.evaluate(() => ({ ...__marcas, texto: Mensagem_texto.textContent }));
            await p.click("#Mensagem_ok");
            await sim.fim();
            if (m.texto === "Gravação do teclado efetuada.") pagina.push((m.mensagem - m.envio) / 1000);

            sim = await emulador(["--ritmo"]);
            const t = process.hrtime.bigint();
            const fim = await new Promise((r) =>
                spawn(path.join(BIN, "vantora-prog"), ["send", MERCADO, "--port", sim.caminho, "--speed", String(baud)], { stdio: "ignore" })
                    .on("exit", r));
            if (fim === 0) prog.push(Number(process.hrtime.bigint() - t) / 1e9);
            await sim.fim();
        }
        if (!pagina.length || !prog.length) {
            console.log(`${baud} bit/s: falhou (página ${pagina.length} de 5, vantora-prog ${prog.length} de 5)`);
            continue;
        }
        const [a, c] = [mediana(pagina), mediana(prog)];
        console.log(`${baud} bit/s: página ${a.toFixed(3)} s, vantora-prog send ${c.toFixed(3)} s (mediana de 5), ` +
            `razão ${(a / c).toFixed(2)} (alvo <= 1.15)`);
    }
    // What the stand-in itself adds: 72 records and the end command through it with no
    // pause, beside the line time of 433 bytes and 73 answers.
    for (const baud of [57600, 9600]) {
        const sim = await emulador(["--ritmo"]);
        b.caminho = sim.caminho;
        const ms = await p.evaluate(async (baud) => {
            const [porta] = await navigator.serial.getPorts();
            await porta.open({ baudRate: baud });
            const [w, r] = [porta.writable.getWriter(), porta.readable.getReader()];
            const t = performance.now();
            for (let k = 1; k <= 73; ++k) await w.write(new Uint8Array(k < 73 ? [0x91, k % 72, 65, 0, 0, 0] : [0x92])), await r.read();
            const fim = performance.now() - t;
            w.releaseLock(), r.releaseLock();
            await porta.close();
            return fim;
        }, baud);
        await sim.fim();
        console.log(`${baud} bit/s: o substituto da serial sozinho, 73 idas e voltas sem pausa: ${ms.toFixed(0)} ms ` +
            `(tempo de linha ${((506 * 10 * 1000) / baud).toFixed(0)} ms)`);
    }
    await nav.close();
    await b.fecha();
} catch (e) {
    console.log(`bench_pagina: não mediu (${e.message})`);
}
