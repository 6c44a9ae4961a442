# Reads, through the accessibility bus, the buttons of the dialog that the menu command
# "Salvar" opens in the running configurator, prints them one a line and closes the
# dialog with its cancel button. Run by teste_textos_qt.sh with Debian's python3.
import sys
import time

import pyatspi

PRAZO = time.time() + 30


def procura(no, aceita, achados, profundidade=0):
    if no is None or profundidade > 40:
        return achados
    try:
        if aceita(no):
            achados.append(no)
        for i in range(no.childCount):
            procura(no.getChildAtIndex(i), aceita, achados, profundidade + 1)
    except Exception:  # a node that went away while being read
        pass
    return achados


def espera(obtem, o_que):
    while time.time() < PRAZO:
        r = obtem()
        if r:
            return r
        time.sleep(0.2)
    sys.exit("não apareceu: " + o_que)


def programa():
    mesa = pyatspi.Registry.getDesktop(0)
    for i in range(mesa.childCount):
        a = mesa.getChildAtIndex(i)
        if a is not None and a.name == "vantora-config":
            return a
    return None


app = espera(programa, "o programa no barramento de acessibilidade")
salvar = espera(lambda: procura(app, lambda n: n.name == "Salvar" and n.getRoleName() == "menu item", []),
                'o menu "Salvar"')[0]
# The command runs the dialog in an event loop of its own, so the answer to the
# action comes only once the dialog closes: do not wait for it.
pyatspi.setTimeout(300, 300)
try:
    salvar.queryAction().doAction(0)
except Exception:
    pass
dialogo = espera(lambda: procura(app, lambda n: n.getRoleName() in ("dialog", "file chooser"), []), "o diálogo")[0]
botoes = espera(lambda: procura(dialogo, lambda n: n.getRoleName() == "push button", []), "os botões")
nomes = [b.name for b in botoes]
print("\n".join(nomes), flush=True)
pyatspi.setTimeout(5000, 5000)
for b in botoes:
    if b.name in ("Cancelar", "Cancel", "Abbrechen"):
        try:
            b.queryAction().doAction(0)
        except Exception:
            pass
