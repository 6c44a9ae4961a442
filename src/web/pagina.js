// The page around the configurator's core (nucleo.js): it draws what the core says,
// hands it every click, key, file and byte, and shows its messages. The rules and
// their words are the core's.
"use strict";

(function () {
  const $ = (id) => document.getElementById(id);
  const LINHAS = 5, COLUNAS = 13, TABELAS = 4;
  const SEM_SERIAL = "Este navegador não dá acesso às portas seriais, e a configuração não pode " +
    "ser enviada ao teclado por ele. Abra esta página no Google Chrome ou no Microsoft Edge, " +
    "ou use o programa vantora-config no computador.";
  let modulo = null;   // the core's module
  let nucleo = null;   // its Configurador
  let desenho = null;  // what never changes: PC keys, sentinel rows, option boxes
  let nomeArquivo = "";
  let gravando = false;
  let proporcao = 3;   // of the PC keyboard

  // The PC keyboard takes the height the window leaves it, never narrower than it reads.
  function ajusta() {
    const pc = $("TecladoPC");
    const livre = window.innerHeight - (pc.getBoundingClientRect().top + window.scrollY) - 8;
    pc.style.width = "clamp(min(100%, 640px), " + Math.floor(livre * proporcao) + "px, 100%)";
  }

  // ---- Messages: one modal box at a time, as the window's message boxes.
  const fila = [];
  function mostra(m) {
    return new Promise((fim) => {
      fila.push({ m, fim });
      if (fila.length === 1) proxima();
    });
  }
  function proxima() {
    if (!fila.length) return;
    const { m } = fila[0];
    const caixa = $("Mensagem");
    $("Mensagem_titulo").textContent = m.titulo;
    $("Mensagem_texto").textContent = m.texto;
    caixa.dataset.icone = m.icone;
    if (nucleo) nucleo.esquece_teclas();
    caixa.showModal();
    $("Mensagem_ok").focus();
  }
  function fechou() {
    const { fim } = fila.shift();
    if (nucleo) nucleo.esquece_teclas();
    fim();
    proxima();
  }
  // What a call of the core gave: a message, or nothing; then the page redrawn.
  async function trata(r) {
    atualiza();
    if (r && r.mensagem) await mostra(r.mensagem);
  }

  // ---- Building the page from the core's description.
  function monta() {
    const teclas = $("Teclas");
    for (let k = 0; k < LINHAS * COLUNAS; ++k) {
      const b = document.createElement("button");
      b.type = "button";
      b.id = "Lbl_TeclaLBtab_" + k;
      b.className = "tecla";
      b.style.gridRow = String(Math.floor(k / COLUNAS) + 1);
      b.style.gridColumn = String((k % COLUNAS) + 1);
      b.addEventListener("click", () => { nucleo.clica_tecla(k); atualiza(); });
      teclas.append(b);
    }

    // The PC keyboard: twips scaled to the width the page gives it.
    const pc = $("TecladoPC");
    let x0 = Infinity, y0 = Infinity, x1 = 0, y1 = 0;
    for (const t of desenho.teclasPC) {
      x0 = Math.min(x0, t.x); y0 = Math.min(y0, t.y);
      x1 = Math.max(x1, t.x + t.l); y1 = Math.max(y1, t.y + t.a);
    }
    const largura = x1 - x0, altura = y1 - y0;
    pc.style.aspectRatio = largura + " / " + altura;
    proporcao = largura / altura;
    const pct = (v, total) => (100 * v / total) + "%";
    for (const t of desenho.teclasPC) {
      const b = document.createElement("button");
      b.type = "button";
      b.id = t.indice === 0 ? "Lbl_TeclaLBnula" : "Lbl_TeclaLB_" + t.indice;
      b.className = t.indice === 0 ? "tecla-pc nula" : "tecla-pc";
      b.textContent = t.legenda;
      b.style.left = pct(t.x - x0, largura);
      b.style.top = pct(t.y - y0, altura);
      b.style.width = pct(t.l, largura);
      b.style.height = pct(t.a, altura);
      b.addEventListener("click", () => trata(nucleo.clica_tecla_pc(t.indice)));
      pc.append(b);
    }

    // The card reader's rows, grouped by track, one box per table.
    const trilhas = $("Trilhas");
    const grupos = new Map();
    desenho.sentinelas.forEach((s, i) => {
      if (!grupos.has(s.trilha)) {
        const f = document.createElement("fieldset");
        const l = document.createElement("legend");
        l.textContent = s.trilha;
        f.append(l);
        trilhas.append(f);
        grupos.set(s.trilha, f);
      }
      const linha = document.createElement("div");
      linha.className = "linha-sentinela";
      const rotulo = document.createElement("label");
      rotulo.textContent = s.legenda;
      rotulo.htmlFor = s.controle + "_0";
      linha.append(rotulo);
      for (let b = 0; b < TABELAS; ++b) {
        const caixa = document.createElement("input");
        caixa.type = "text";
        caixa.id = s.controle + "_" + b;
        caixa.maxLength = 3; // three characters when typing; a file's longer code shows whole
        caixa.inputMode = "numeric";
        caixa.autocomplete = "off";
        caixa.setAttribute("aria-label", s.trilha + ", " + s.legenda.replace(/:$/, "") + ", tabela " + (b + 1));
        caixa.addEventListener("input", () => nucleo.define_sentinela(i, b, caixa.value));
        linha.append(caixa);
      }
      grupos.get(s.trilha).append(linha);
    });

    // The option boxes; the one that authorises other protocols is kept but never shown.
    const opcoes = $("Opcoes");
    desenho.opcoes.forEach((o, i) => {
      const rotulo = document.createElement("label");
      const caixa = document.createElement("input");
      caixa.type = "checkbox";
      caixa.id = o.controle;
      rotulo.append(caixa, " " + o.legenda);
      rotulo.hidden = i === 0;
      if (o.controle === "Chk_Prot44serialBNC") rotulo.title = "Altera o ACK = 0x06h";
      // Greyed only as a file left it: the operator's click makes it a plain box again.
      caixa.addEventListener("change", () => { nucleo.define_opcao(i, caixa.checked ? 1 : 0); atualiza(); });
      opcoes.append(rotulo);
    });
    opcoes.append(opcoes.firstChild); // the hidden one last, as the window orders them
  }

  // ---- Drawing the core's state.
  function atualiza() {
    const e = nucleo.estado();
    const cartao = e.aba === TABELAS + 1;
    for (let n = 1; n <= TABELAS + 1; ++n) {
      const aba = $("TabStrip_" + n);
      aba.setAttribute("aria-selected", String(n === e.aba));
      aba.tabIndex = n === e.aba ? 0 : -1;
    }
    $("Pagina_teclas").hidden = cartao;
    $("Pagina_teclas").setAttribute("aria-labelledby", "TabStrip_" + (cartao ? 1 : e.aba));
    const mudou = $("Pagina_LCM").hidden === cartao;
    $("Pagina_LCM").hidden = !cartao;
    if (mudou) ajusta();
    $("Lbl_tab").textContent = cartao ? "" : String(e.aba);
    e.teclas.forEach((t, k) => {
      const b = $("Lbl_TeclaLBtab_" + k);
      if (b.textContent !== t.legenda) b.textContent = t.legenda;
      b.title = t.dica;
      b.setAttribute("aria-label", "Tecla " + (k + 1) + ": " + (t.legenda || "sem código") + ", " + t.dica);
      b.setAttribute("aria-pressed", String(k === e.tecla));
      b.hidden = !t.visivel;
      b.classList.toggle("longa", t.legenda.length > 4);
    });
    for (const b of $("TecladoPC").children) b.classList.toggle("escolhida", b.id === "Lbl_TeclaLB_" + e.teclaPC);
    e.sentinelas.forEach((linha, i) => linha.forEach((texto, b) => {
      const caixa = $(desenho.sentinelas[i].controle + "_" + b);
      if (caixa.value !== texto) caixa.value = texto;
    }));
    desenho.opcoes.forEach((o, i) => {
      const caixa = $(o.controle);
      caixa.indeterminate = e.opcoes[i] === 2;
      caixa.checked = e.opcoes[i] === 1;
    });
    $("Chk_Tec44").checked = e.modelo44;
    for (const id of ["Novo", "Abrir", "Salvar", "Cmd_Grava_Teclado"]) $(id).disabled = gravando;
    document.body.classList.toggle("gravando", gravando);
  }

  // ---- The computer's keyboard: capture is on while a table page is on view and no
  // message is up; the lock lamps follow the keyboard's state.
  function lampadas(ev) {
    if (!ev.getModifierState) return;
    $("Led_Num").classList.toggle("acesa", ev.getModifierState("NumLock"));
    $("Led_Caps").classList.toggle("acesa", ev.getModifierState("CapsLock"));
    $("Led_Scroll").classList.toggle("acesa", ev.getModifierState("ScrollLock"));
  }
  function tecla(ev) {
    lampadas(ev);
    if (!nucleo || $("Mensagem").open || nucleo.estado().aba === TABELAS + 1) return;
    ev.preventDefault();
    const r = nucleo.tecla(ev.code, ev.type === "keyup", ev.repeat, ev.getModifierState("NumLock"), performance.now());
    if (r && r.acoes) executa(r.acoes);
    else trata(r);
  }

  // ---- Files.
  async function abre(arquivo) {
    if (!arquivo || gravando) return;
    // A file over the limit is no layout: read as an empty one, as the window does.
    const bytes = arquivo.size > desenho.limiteBytes ? new Uint8Array(0)
      : new Uint8Array(await arquivo.arrayBuffer());
    nomeArquivo = arquivo.name;
    await trata(nucleo.abre(bytes));
  }

  // Why the browser could not read or write the file, in the window's words.
  function motivo_gravacao(erro) {
    const nome = erro && erro.name;
    if (nome === "QuotaExceededError") return "sem espaço no dispositivo";
    if (nome === "NotAllowedError" || nome === "SecurityError") return "sem permissão para gravar o arquivo";
    if (nome === "NoModificationAllowedError") return "o arquivo é somente leitura";
    return "não foi possível gravar o arquivo (" + ((erro && erro.message) || String(erro)) + ")";
  }

  async function salva() {
    const antes = nucleo.prepara_salvar();
    if (antes) return trata(antes);
    atualiza();
    const nome = nomeArquivo || "Sem título.key";
    if (window.showSaveFilePicker) {
      let arquivo;
      try {
        arquivo = await window.showSaveFilePicker({
          suggestedName: nome,
          types: [{ description: "Layout do teclado", accept: { "application/octet-stream": [".key"] } }],
        });
      } catch (erro) {
        if (erro.name !== "AbortError") await trata(nucleo.falha_gravacao(nome, motivo_gravacao(erro)));
        return; // Cancel
      }
      // The keys are written into the file's own lines, as the window saves over a file;
      // the browser writes a copy and puts it in place at close(), so a failure leaves
      // the file as it was.
      try {
        const existente = new Uint8Array(await (await arquivo.getFile()).arrayBuffer());
        const r = nucleo.salva(existente, arquivo.name);
        if (r.mensagem) return trata(r);
        const escrita = await arquivo.createWritable();
        try {
          await escrita.write(r.bytes);
          await escrita.close();
        } catch (erro) {
          await escrita.abort().catch(() => {});
          throw erro;
        }
      } catch (erro) {
        return trata(nucleo.falha_gravacao(arquivo.name, motivo_gravacao(erro)));
      }
      nomeArquivo = arquivo.name;
      return;
    }
    const r = nucleo.salva(new Uint8Array(0), nome);
    if (r.mensagem) return trata(r);
    const url = URL.createObjectURL(new Blob([r.bytes], { type: "application/octet-stream" }));
    const a = document.createElement("a");
    a.href = url;
    a.download = nome;
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  // ---- The send over Web Serial: the core's exchange, fed with the time, the bytes
  // read and a timer at each of its deadlines.
  let envio = null; // {porta, leitor, escritor, timer, escritas}
  function velocidade() { return $("Opt_9600_0").checked ? 9600 : 57600; }

  async function envia() {
    if (gravando) return;
    if (!("serial" in navigator)) return mostra({ titulo: "Corvalo USB/Serial", texto: SEM_SERIAL, icone: "exclamacao" });
    const problema = nucleo.verifica_envio();
    if (problema) return trata(problema);
    gravando = true;
    $("PBar").value = 0;
    atualiza();
    let porta;
    try {
      const concedidas = await navigator.serial.getPorts();
      porta = concedidas.length ? concedidas[0] : await navigator.serial.requestPort();
    } catch (_) {
      return encerra(null); // no port chosen
    }
    try {
      await porta.open({ baudRate: velocidade() });
    } catch (erro) {
      // Already open, or held by another program: the window's message for a busy port.
      const busy = erro && (erro.name === "InvalidStateError" || erro.name === "NetworkError");
      return encerra(modulo.Configurador.falha_abertura(busy ? 8005 : 51));
    }
    envio = { porta, leitor: porta.readable.getReader(), escritor: porta.writable.getWriter(), timer: 0,
              escritas: Promise.resolve(), perdida: (ev) => perdida(porta, ev) };
    porta.addEventListener("disconnect", envio.perdida);
    navigator.serial.addEventListener("disconnect", envio.perdida);
    le(envio);
    executa(nucleo.inicia_troca(performance.now()).acoes);
  }

  function perdida(porta, ev) {
    if (!envio || envio.porta !== porta) return;
    if (ev && ev.target !== porta && ev.port !== porta && ev.target !== navigator.serial) return;
    const r = nucleo.porta_perdida();
    if (r && r.acoes) executa(r.acoes);
  }

  async function le(e) {
    try {
      for (;;) {
        const { value, done } = await e.leitor.read();
        if (done) break;
        if (envio !== e) return;
        const r = nucleo.recebe(value, performance.now());
        if (r && r.acoes) executa(r.acoes);
      }
    } catch (_) { /* the port went away */ }
    if (envio === e) perdida(e.porta);
  }

  function executa(a) {
    const e = envio;
    if (!e) return;
    clearTimeout(e.timer);
    if (a.escreve.length) {
      const bytes = new Uint8Array(a.escreve);
      e.escritas = e.escritas.then(() => e.escritor.write(bytes)).catch(() => {
        const r = envio === e ? nucleo.falha_escrita() : null;
        if (r && r.acoes) executa(r.acoes);
      });
    }
    $("PBar").value = a.progresso;
    if (a.terminou) {
      const fim = nucleo.fim_da_troca();
      envio = null;
      fecha(e).then(() => encerra(fim));
      return;
    }
    if (a.prazo !== null) {
      e.timer = setTimeout(() => {
        if (envio !== e) return;
        const r = nucleo.tempo(performance.now());
        if (r && r.acoes) executa(r.acoes);
      }, Math.max(0, Math.ceil(a.prazo - performance.now())));
    }
  }

  async function fecha(e) {
    e.porta.removeEventListener("disconnect", e.perdida);
    navigator.serial.removeEventListener("disconnect", e.perdida);
    try { await e.escritas; } catch (_) { /* reported */ }
    try { await e.leitor.cancel(); } catch (_) { /* gone */ }
    try { e.leitor.releaseLock(); e.escritor.releaseLock(); } catch (_) { /* gone */ }
    try { await e.porta.close(); } catch (_) { /* gone */ }
  }

  async function encerra(mensagem) {
    gravando = false;
    atualiza();
    if (mensagem) await trata(mensagem);
  }

  // ---- The legend sheet, printed at real size.
  // A caption as large as its line allows (0.85 of a quarter of the cell inside its 6 %
  // margins), shrunk to the cell's width, never below 5 pt: as vantora-prog legend draws it.
  const PX_MM = 96 / 25.4, INTERIOR = 19.05 * 0.88 * PX_MM, MINIMO = (5 / 72) * 96;
  const regua = document.createElement("canvas").getContext("2d");
  function tamanho_na_folha(texto, negrito) {
    const px = (INTERIOR / 4) * 0.85;
    regua.font = (negrito ? "bold " : "") + px + 'px "Liberation Sans", Arial, sans-serif';
    const largura = regua.measureText(texto).width * 1.03;
    return largura > INTERIOR ? Math.max(MINIMO, (px * INTERIOR) / largura) : px;
  }
  function imprime() {
    const folha = $("Folha");
    folha.replaceChildren();
    const l = nucleo.legenda();
    const grade = document.createElement("div");
    grade.className = "grade";
    grade.style.gridTemplateColumns = "repeat(" + l.colunas + ", 19.05mm)";
    for (const celula of l.celulas) {
      const c = document.createElement("div");
      c.className = "celula";
      celula.forEach((linha, n) => {
        const p = document.createElement("span");
        p.textContent = linha;
        p.style.fontSize = tamanho_na_folha(linha, n === 0) + "px";
        c.append(p);
      });
      grade.append(c);
    }
    // Cut marks on every cell boundary, outside the grid.
    const marcas = document.createElement("div");
    marcas.className = "marcas";
    marcas.append(grade);
    const PASSO = 19.05, MARGEM = 5, MARCA = 4;
    const marca = (x, y, l, a) => {
      const m = document.createElement("i");
      Object.assign(m.style, { left: x + "mm", top: y + "mm", width: l + "mm", height: a + "mm" });
      marcas.append(m);
    };
    const largura = l.colunas * PASSO, altura = l.linhas * PASSO;
    for (let c = 0; c <= l.colunas; ++c) {
      marca(MARGEM + c * PASSO, MARGEM - MARCA, 0, MARCA - 1);
      marca(MARGEM + c * PASSO, MARGEM + altura + 1, 0, MARCA - 1);
    }
    for (let r = 0; r <= l.linhas; ++r) {
      marca(MARGEM - MARCA, MARGEM + r * PASSO, MARCA - 1, 0);
      marca(MARGEM + largura + 1, MARGEM + r * PASSO, MARCA - 1, 0);
    }
    const nota = document.createElement("p");
    nota.textContent = l.nota;
    folha.append(marcas, nota);
    window.print();
  }

  // ---- Start-up.
  function liga() {
    monta();
    for (let n = 1; n <= TABELAS + 1; ++n) $("TabStrip_" + n).addEventListener("click", () => trata(nucleo.clica_aba(n)));
    $("Chk_Tec44").addEventListener("change", () => { nucleo.define_modelo_44($("Chk_Tec44").checked); atualiza(); });
    $("Novo").addEventListener("click", () => { nucleo.novo(); atualiza(); });
    $("Abrir").addEventListener("click", () => $("Arquivo").click());
    $("Arquivo").addEventListener("change", () => { const f = $("Arquivo").files[0]; $("Arquivo").value = ""; abre(f); });
    $("Salvar").addEventListener("click", () => salva());
    $("Cmd_Grava_Teclado").addEventListener("click", () => envia());
    $("Cmd_Legenda").addEventListener("click", imprime);
    $("Mensagem").addEventListener("close", fechou);
    $("Mensagem_ok").addEventListener("click", () => $("Mensagem").close());
    document.addEventListener("keydown", tecla);
    document.addEventListener("keyup", tecla);
    window.addEventListener("blur", () => nucleo.esquece_teclas());
    window.addEventListener("resize", ajusta);
    document.addEventListener("dragover", (ev) => ev.preventDefault());
    document.addEventListener("drop", (ev) => {
      ev.preventDefault();
      if (ev.dataTransfer.files.length) abre(ev.dataTransfer.files[0]);
    });
    atualiza();
    ajusta();
    document.body.dataset.pronto = "sim";
  }

  VantoraNucleo().then((m) => {
    modulo = m;
    nucleo = new m.Configurador();
    desenho = nucleo.desenho();
    liga();
  });
})();
