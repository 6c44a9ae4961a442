# Reads the buttons of the dialog that the menu command "Salvar" opens in the running
# configurator and prints them one a line.
import pyatspi
from atspi import espera, procura, programa

app = programa()
salvar = espera(lambda: procura(app, lambda n: n.name == "Salvar" and n.getRoleName() == "menu item"),
                'o menu "Salvar"')[0]
# The command runs the dialog in an event loop of its own, so the answer to the
# action comes only once the dialog closes: do not wait for it.
pyatspi.setTimeout(300, 300)
try:
    salvar.queryAction().doAction(0)
except Exception:
    pass
dialogo = espera(lambda: procura(app, lambda n: n.getRoleName() in ("dialog", "file chooser")), "o diálogo")[0]
botoes = espera(lambda: procura(dialogo, lambda n: n.getRoleName() == "push button"), "os botões")
print("\n".join(b.name for b in botoes), flush=True)  # the program is ended with the dialog open
