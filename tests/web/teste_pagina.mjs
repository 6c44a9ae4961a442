// The web page in headless Chromium, opened from file:// in a folder whose path has
// spaces and accents: ready flag, no network, Open by the file input and by dropping a
// file, keys assigned by clicks and by key events, Save's download equal to the window's
// Save of the same edits, Save through the browser's picker, and the keyboard programmed through the serial stand-in on
// vantora-sim's pty (what it decodes, a line hung up, a port held by another program).
// Usage: node teste_pagina.mjs (build-web/pagina and build/bin/vantora-sim, or
// VANTORA_PAGINA and VANTORA_BIN). Also saves build-web/pagina.png, a look at the page.
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { RAIZ, PAGINA, emulador, ponte, navegador, contexto, abre } from "./ponte.mjs";

const MERCADO = path.join(RAIZ, "examples/mercado.key");
const dado = (nome) => fs.readFileSync(path.join(RAIZ, "tests/data", nome));
const pasta = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "página ")), "Vantora na web");
fs.cpSync(PAGINA, pasta, { recursive: true });

const nav = await navegador();
const b = await ponte();
let falhas = 0;
async function caso(nome, corpo) {
    try {
        await corpo();
        console.log(`ok: ${nome}`);
    } catch (e) {
        ++falhas;
        console.log(`FALHOU: ${nome}\n${e.stack}`);
    }
}

// A page of its own context (with the serial stand-in unless `semSerial`).
async function pagina({ semSerial = false, antes = "" } = {}) {
    const ctx = await contexto(nav, semSerial ? null : b, antes);
    const p = await abre(ctx, pasta);
    p.on("pageerror", (e) => { ++falhas; console.log(`FALHOU: erro na página: ${e.stack}`); });
    return p;
}
const clica = async (p, ...ids) => { for (const id of ids) await p.click(`#${id}`); };
const carregado = (p) => p.waitForFunction(() => document.querySelector("#Lbl_TeclaLBtab_0").textContent !== "");
async function abreArquivo(p, arquivo) {
    const [escolha] = await Promise.all([p.waitForEvent("filechooser"), p.click("#Abrir")]);
    await escolha.setFiles(arquivo);
    await carregado(p);
}
// A file dropped on the page as the browser does it, from the disk.
async function soltaArquivo(p, arquivo) {
    const s = await p.context().newCDPSession(p);
    const data = { items: [], files: [arquivo], dragOperationsMask: 1 };
    for (const type of ["dragEnter", "dragOver", "drop"]) await s.send("Input.dispatchDragEvent", { type, x: 600, y: 300, data });
    await carregado(p);
}
async function salva(p) {
    const [d] = await Promise.all([p.waitForEvent("download"), clica(p, "Salvar")]);
    return { nome: d.suggestedFilename(), bytes: fs.readFileSync(await d.path()) };
}
// The message box's text, once it shows; OK closes it.
async function mensagem(p) {
    await p.waitForSelector("#Mensagem[open]", { timeout: 60000 });
    const texto = await p.textContent("#Mensagem_texto");
    await clica(p, "Mensagem_ok");
    return texto;
}
const atributo = (p, id, nome) => p.getAttribute(`#${id}`, nome);

await caso("pronta de file:// sem rede; sem Web Serial explica por que não envia", async () => {
    const p = await pagina({ semSerial: true, antes: "delete Navigator.prototype.serial" });
    assert.deepEqual(await p.$$eval("[role=tab]", (l) => l.map((e) => e.textContent.trim())),
        ["Tabela 01", "Tabela 02", "Tabela 03", "Tabela 04", "LCM"]);
    assert.equal(await atributo(p, "TabStrip_1", "aria-selected"), "true");
    const http = b.url.replace("ws:", "http:");
    const tentativas = await p.evaluate(
        ({ http, ws }) =>
            Promise.allSettled([
                fetch(http, { mode: "no-cors" }),
                new Promise((conectou, falhou) => Object.assign(new WebSocket(ws), { onopen: conectou, onerror: falhou })),
            ]).then((r) => r.map((t) => t.status)),
        { http, ws: b.url });
    assert.deepEqual(tentativas, ["rejected", "rejected"]);
    assert.equal(b.conexoes, 0);
    await clica(p, "Cmd_Grava_Teclado");
    assert.match(await mensagem(p), /Chrome.*Edge/s);
    await p.context().close();
});

await caso("edições por cliques e teclas, Salvar igual ao da janela; soltar um arquivo é Abrir; Salvar pelo seletor do navegador", async () => {
    const p = await pagina();
    await abreArquivo(p, MERCADO);
    const aberto = await salva(p);
    await clica(p, "Lbl_TeclaLBtab_0", "Lbl_TeclaLB_18", "Lbl_TeclaLBnula");
    for (const tecla of ["KeyA", "F1", "Numpad7"]) await p.keyboard.press(tecla);
    assert.equal(await atributo(p, "Lbl_TeclaLBtab_5", "aria-pressed"), "true");
    assert.equal(await atributo(p, "Lbl_TeclaLBtab_0", "aria-pressed"), "false");
    await clica(p, "TabStrip_2");
    assert.equal(await atributo(p, "TabStrip_2", "aria-selected"), "true");
    await clica(p, "Lbl_TeclaLBtab_10", "Lbl_TeclaLB_39");
    const editado = await salva(p);
    assert.equal(editado.nome, "mercado.key");
    assert.ok(editado.bytes.equals(dado("pagina_edicao.key")), "o download difere de tests/data/pagina_edicao.key");
    await clica(p, "TabStrip_1");
    await p.screenshot({ path: path.join(PAGINA, "..", "pagina.png") });

    const q = await pagina();
    await soltaArquivo(q, MERCADO);
    const solto = await salva(q);
    assert.deepEqual(solto, aberto);

    // Save through a file handle as Chrome's picker gives one, of a file with a section of
    // its own: it stays; a full disk gets the window's message.
    await q.evaluate(() => {
        window.__escritas = [];
        window.showSaveFilePicker = async () => ({
            name: "loja.key",
            getFile: async () => new File(["[Outro]\r\nNome=Loja\r\n"], "loja.key"),
            createWritable: async () => ({
                write: async (b) => {
                    if (window.__cheio) throw new DOMException("cheio", "QuotaExceededError");
                    __escritas.push([...b]);
                },
                close: async () => {},
                abort: async () => {},
            }),
        });
    });
    await clica(q, "Salvar");
    await q.waitForFunction(() => __escritas.length === 1);
    const texto = Buffer.from(await q.evaluate(() => __escritas[0])).toString("latin1");
    assert.match(texto, /^\[Outro\]\r\nNome=Loja\r\n\[Teclado\][^]*\[Tab1\]\r\nT0=65\r\n/);
    await q.evaluate(() => (window.__cheio = true));
    await clica(q, "Salvar");
    assert.match(await mensagem(q), /loja\.key: sem espaço no dispositivo/);
    await p.context().close();
    await q.context().close();
});

// The emulator's options, the bridge busy, 57600 bit/s, the message, the records sent.
const PARCIAL = "A porta serial deixou de responder durante a gravação (adaptador desconectado?). " +
    "O teclado ficou parcialmente gravado: aceitou 3 de 71 registros (teclas 1 a 3); grave-o de novo.";
const FEITO = "Gravação do teclado efetuada.";
const envios = [
    { nome: "linha desligada após o registro 4", sim: ["--desliga", "4"], texto: PARCIAL, registros: 4 },
    { nome: "porta ocupada", ocupada: true, texto: "Não foi possivel abrir esta porta serial", registros: 0 },
    { nome: "gravação a 9600", texto: FEITO, registros: 72 },
    { nome: "gravação a 57600", rapido: true, texto: FEITO, registros: 72 },
];
// One page for all: each exchange starts clean after the one before, however it ended.
const p = await pagina();
await abreArquivo(p, MERCADO);
for (const c of envios) {
    await caso(`envio: ${c.nome}`, async () => {
        const sim = await emulador(c.sim || []);
        Object.assign(b, { caminho: sim.caminho, ocupada: !!c.ocupada });
        try {
            await clica(p, c.rapido ? "Opt_9600_1" : "Opt_9600_0", "Cmd_Grava_Teclado");
            assert.equal(await mensagem(p), c.texto);
            assert.equal(sim.linhas.filter((l) => l.startsWith("REGISTRO ")).length, c.registros);
            if (c.texto !== FEITO) return;
            assert.equal(await p.$eval("#PBar", (e) => e.value), 73);
            const esperado = dado("prog_send.txt").toString().replace("VELOCIDADE 9600", `VELOCIDADE ${c.rapido ? 57600 : 9600}`);
            assert.equal(await sim.recebido(), esperado);
        } finally {
            await sim.fim();
        }
    });
}

await nav.close();
await b.fecha();
fs.rmSync(path.dirname(pasta), { recursive: true, force: true });
console.log(falhas ? `${falhas} falha(s)` : "página: tudo certo");
process.exitCode = falhas ? 1 : 0;
