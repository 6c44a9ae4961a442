// What the page's tests and its benchmark share: the keyboard emulator on a pty, the
// WebSocket bridge that carries the serial stand-in's bytes to it, and headless Chromium
// with the stand-in installed before the page's scripts.
import { spawn, execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import readline from "node:readline";
import tty from "node:tty";
import { createRequire } from "node:module";
import { fileURLToPath, pathToFileURL } from "node:url";

export const RAIZ = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
// Installed by scripts/web.sh from tests/web/package-lock.json into the build tree.
const requer = createRequire(path.join(RAIZ, "build-web/npm/package.json"));
const { chromium } = requer("playwright-core");
const { WebSocketServer } = requer("ws");
export const PAGINA = process.env.VANTORA_PAGINA || path.join(RAIZ, "build-web/pagina");
export const BIN = process.env.VANTORA_BIN || path.join(RAIZ, "build/bin");
const DESLIGADA = 4001; // the bridge's close code for a line hung up

// vantora-sim with `args`, once it has printed its port; every line it prints is kept.
export async function emulador(args = []) {
    const p = spawn(path.join(BIN, "vantora-sim"), args, { stdio: ["pipe", "pipe", "inherit"] });
    const e = { processo: p, linhas: [] };
    readline.createInterface({ input: p.stdout }).on("line", (l) => e.linhas.push(l));
    // What the keyboard received, from the end command on, once it has it all.
    e.recebido = async () => {
        await ate(() => e.linhas.includes("FIM_LAYOUT"), 15000, "vantora-sim: FIM_LAYOUT");
        return e.linhas.slice(e.linhas.indexOf("FIM"), e.linhas.indexOf("FIM_LAYOUT") + 1).join("\n") + "\n";
    };
    e.fim = () => new Promise((r) => (p.exitCode !== null ? r() : (p.once("exit", r), p.kill())));
    await ate(() => e.linhas.length, 5000, "vantora-sim: PORTA");
    e.caminho = e.linhas[0].replace(/^PORTA /, "");
    return e;
}

// Polls `cond` until true, or throws after `ms` (a generous bound, never a measurement).
export async function ate(cond, ms, oque) {
    for (const fim = Date.now() + ms; !cond(); await new Promise((r) => setTimeout(r, 10)))
        if (Date.now() > fim) throw new Error(`esperou demais: ${oque}`);
}

// The bridge: one connection at a time to the pty named by `caminho` (set per emulator),
// at the speed the page asked, raw. A second one, or any while `ocupada`, is refused as
// a port held by another program; the line hung up closes the connection (4001).
export async function ponte() {
    const b = { url: "", caminho: null, ocupada: false, conexoes: 0, ativa: null };
    // A port held by another program fails the handshake: the page's open() rejects.
    const verifyClient = (_info, cb) => (++b.conexoes, b.ocupada || b.ativa || !b.caminho ? cb(false, 409, "ocupada") : cb(true));
    const srv = new WebSocketServer({ host: "127.0.0.1", port: 0, verifyClient });
    await new Promise((r) => srv.once("listening", r));
    b.url = `ws://127.0.0.1:${srv.address().port}`;
    srv.on("connection", (ws, pedido) => {
        const baud = new URL(pedido.url, b.url).searchParams.get("baud");
        execFileSync("stty", ["-F", b.caminho, baud, "raw", "-echo"]);
        const fd = fs.openSync(b.caminho, fs.constants.O_RDWR | fs.constants.O_NOCTTY);
        const linha = new tty.ReadStream(fd); // owns fd from now on
        b.ativa = ws;
        const fecha = (codigo) => {
            if (b.ativa !== ws) return;
            b.ativa = null;
            linha.destroy();
            if (codigo) ws.close(codigo, "desligada");
        };
        linha.on("data", (d) => ws.send(d));
        linha.on("error", () => fecha(DESLIGADA));
        linha.on("end", () => fecha(DESLIGADA));
        ws.on("message", (d) => { try { if (b.ativa === ws) fs.writeSync(fd, d); } catch { fecha(DESLIGADA); } });
        ws.on("close", () => fecha(0));
    });
    b.fecha = () => new Promise((r) => { for (const c of srv.clients) c.terminate(); srv.close(r); });
    return b;
}

export const navegador = () =>
    chromium.launch({
        executablePath: process.env.VANTORA_CHROMIUM || "/usr/bin/chromium",
        args: ["--disable-gpu", "--no-first-run", "--disable-background-networking", "--disable-component-update", "--disable-sync"],
    });

// A context at 1366x768 with the serial stand-in reaching `b` (when given; the page's
// CSP bypassed for it only), no save picker, so Save downloads, and Num Lock on as the
// system reports it (DevTools' key events carry no lock state). `antes`: a script of the
// test's own, run first.
export async function contexto(nav, b, antes = "") {
    const ctx = await nav.newContext({ viewport: { width: 1366, height: 768 }, bypassCSP: !!b, acceptDownloads: true });
    await ctx.addInitScript({
        content: `${antes};delete Window.prototype.showSaveFilePicker; delete window.showSaveFilePicker;
            const g = KeyboardEvent.prototype.getModifierState;
            KeyboardEvent.prototype.getModifierState = function (k) { return k === "NumLock" || g.call(this, k); };`,
    });
    if (b)
        await ctx.addInitScript({
            content: `globalThis.__ponteSerial = ${JSON.stringify({ url: b.url })};\n` +
                fs.readFileSync(new URL("serial_falso.js", import.meta.url), "utf8"),
        });
    return ctx;
}

// The page from `pasta` (file://), once it says it is ready.
export async function abre(ctx, pasta = PAGINA) {
    const p = await ctx.newPage();
    await p.goto(pathToFileURL(path.join(pasta, "index.html")).href);
    await p.waitForFunction(() => document.body && document.body.dataset.pronto === "sim", null, { timeout: 30000 });
    return p;
}
