# Plugs an "adapter" into the running configurator and pulls it out again, reading the
# port box from outside. Plugging links the path that VANTORA_EXTRA_PORTS names as COM9
# to the emulator's terminal; pulling out removes the link, as the system removes the
# device of an adapter pulled out. Run by teste_adaptador_ao_vivo.sh through atspi.sh.
# Arguments: PTY_PATH LINK_PATH.
import os
import sys

from atspi import espera, procura, programa

terminal, ligacao = sys.argv[1:3]
caixa = espera(lambda: procura(programa(), lambda n: n.getRoleName() == "combo box"), "a caixa de portas")[0]


def itens():
    # None while the list is being refilled (an item may vanish as it is read).
    try:
        lista = procura(caixa, lambda n: n.getRoleName() == "list")[0]
        return [lista.getChildAtIndex(i).name for i in range(lista.childCount)]
    except (AttributeError, IndexError):
        return None


def com9(presente):
    return (lista := itens()) is not None and ("COM9" in lista) == presente


# The port last opened, 9, is what the box shows at start: typed text, not a choice.
espera(lambda: com9(False) and caixa.name == "9", "o texto inicial 9, sem COM9 na lista")
os.symlink(terminal, ligacao)
espera(lambda: com9(True), "COM9 na lista depois de ligado o adaptador")
os.unlink(ligacao)
espera(lambda: com9(False), "COM9 fora da lista depois de tirado o adaptador")
espera(lambda: caixa.name == "9", "o texto 9 mantido na caixa")
print("ok")
