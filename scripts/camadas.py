#!/usr/bin/env python3
"""Checks that the folders of src/ include only downwards:
base < catalogue < editor < capture < files, link < shell (the window).
Each folder's controller lies with the rest of its folder: the window only
assembles them. Peers do not include each other. Prints each upward include and
fails when there is one. The build fails on such an include in what each layer's
libraries compile (src/CMakeLists.txt, vantora_camada); this checks every header,
also one that only a higher layer compiles."""
import pathlib, re, sys

src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "src")
NIVEL = {"base": 0, "catalogue": 1, "editor": 2, "capture": 3, "files": 4, "link": 4, "shell": 9}

def nivel(caminho):
    return NIVEL[caminho.split("/")[0]]

erros = []
for arquivo in sorted(src.glob("*/*.[ch]*")):
    de = arquivo.relative_to(src).as_posix()
    if de.split("/")[0] not in NIVEL:
        continue
    for linha in arquivo.read_text(encoding="utf-8").splitlines():
        m = re.match(r'\s*#\s*include\s+"([^"]+)"', linha)
        if not m:
            continue
        alvo = m.group(1) if "/" in m.group(1) else f"{arquivo.parent.name}/{m.group(1)}"
        alvo = alvo.removeprefix("../")
        if alvo.split("/")[0] not in NIVEL:
            continue
        n_de, n_alvo = nivel(de), nivel(alvo)
        mesma = alvo.split("/")[0] == de.split("/")[0]
        if n_alvo > n_de or (n_alvo == n_de and not mesma):
            erros.append(f"{de} -> {alvo}")

for e in erros:
    print("include going up:", e)
sys.exit(1 if erros else 0)
