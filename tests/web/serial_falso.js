// navigator.serial for the page's tests, installed before the page's own scripts: the
// ports are the keyboard emulator's pseudo-terminal, reached over a WebSocket to a bridge
// in the test process (ws://127.0.0.1:PORT/?baud=N). What the page sees is what Chrome
// gives: getPorts() offers a port granted before, requestPort() grants one, open()
// rejects with InvalidStateError when already open and NetworkError when the port is
// held by another program (the bridge refuses the handshake), Uint8Array chunks
// on `readable`, and a `disconnect` event on the port and on navigator.serial when the
// line goes away (the bridge closes), after which read() rejects with NetworkError.
// The test sets globalThis.__ponteSerial = {url, portas} first (portas: how many ports
// the picker offers, 0 for a picker the user cancels).
(() => {
    const { url, portas = 1 } = globalThis.__ponteSerial || {};
    const erro = (texto, nome) => new DOMException(texto, nome);
    // Events also reach the on<type> property, as the platform's do.
    const avisa = (alvo, tipo, origem) => {
        const e = new Event(tipo);
        if (origem) Object.defineProperty(e, "target", { value: origem });
        alvo.dispatchEvent(e);
        if (typeof alvo["on" + tipo] === "function") alvo["on" + tipo].call(alvo, e);
    };

    class SerialPort extends EventTarget {
        #ws = null;
        #leitura = null; // the readable stream's controller
        readable = null;
        writable = null;
        onconnect = null;
        ondisconnect = null;
        getInfo() { return {}; }

        open(opcoes) {
            if (this.#ws) return Promise.reject(erro("The port is already open.", "InvalidStateError"));
            const baud = Number(opcoes && opcoes.baudRate);
            if (!(baud > 0)) return Promise.reject(new TypeError("Failed to execute 'open' on 'SerialPort': Requested baud rate must be greater than zero."));
            const ws = new WebSocket(`${url}/?baud=${baud}`);
            ws.binaryType = "arraybuffer";
            this.#ws = ws;
            return new Promise((aceita, recusa) => {
                ws.onopen = () => { this.#abertos(ws); aceita(); };
                ws.onclose = () => { this.#ws = null; recusa(erro("Failed to open serial port.", "NetworkError")); };
            });
        }

        #abertos(ws) {
            this.readable = new ReadableStream({
                start: (c) => { this.#leitura = c; },
                cancel: () => { this.#leitura = null; },
            });
            this.writable = new WritableStream({
                write: (bloco) => {
                    if (ws.readyState !== WebSocket.OPEN) throw erro("The device has been lost.", "NetworkError");
                    if (!(bloco instanceof Uint8Array) && !ArrayBuffer.isView(bloco) && !(bloco instanceof ArrayBuffer))
                        throw new TypeError("Can only write ArrayBuffer or ArrayBufferView chunks.");
                    ws.send(bloco);
                },
            });
            ws.onmessage = (m) => { if (this.#leitura) this.#leitura.enqueue(new Uint8Array(m.data)); };
            ws.onclose = () => {
                if (this.#ws !== ws) return; // closed by close()
                this.#ws = null;
                const perdida = erro("The device has been lost.", "NetworkError");
                if (this.#leitura) this.#leitura.error(perdida);
                this.#leitura = null;
                this.readable = this.writable = null;
                perdida_(this);
                avisa(this, "disconnect");
                avisa(navigator.serial, "disconnect", this);
            };
        }

        async close() {
            if (!this.#ws) throw erro("The port is already closed.", "InvalidStateError");
            if (this.readable && this.readable.locked) throw new TypeError("Cannot cancel a locked stream");
            if (this.writable && this.writable.locked) throw new TypeError("Cannot abort a locked stream");
            const ws = this.#ws;
            this.#ws = null;
            if (this.readable) await this.readable.cancel();
            this.#leitura = null;
            this.readable = this.writable = null;
            ws.close();
        }
    }

    // A port gone is forgotten; plugged in again, the picker offers it as a new one.
    let concedidas = [];
    const oferecidas = Array.from({ length: portas }, () => new SerialPort());
    const perdida_ = (p) => {
        concedidas = concedidas.filter((c) => c !== p);
        oferecidas[oferecidas.indexOf(p)] = new SerialPort();
    };

    class Serial extends EventTarget {
        onconnect = null;
        ondisconnect = null;
        async getPorts() { return [...concedidas]; }
        async requestPort() {
            const p = oferecidas[0];
            if (!p) throw erro("No port selected by the user.", "NotFoundError");
            if (!concedidas.includes(p)) concedidas.push(p);
            return p;
        }
    }

    Object.defineProperty(Navigator.prototype, "serial", { value: new Serial(), configurable: true });
    globalThis.SerialPort = SerialPort;
})();
