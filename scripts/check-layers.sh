#!/usr/bin/env bash
# The core library stays free of widgets: only windows (frm*) , src/ui and the program's main()
# may include widget headers. The build enforces it too (miravel_core does not link Qt Widgets);
# this names the offending file at once.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=$(grep -rlE '#include *<(QtWidgets|QWidget|QDialog|QMessageBox|QMainWindow|QApplication|QFileDialog|QLineEdit|QPushButton|QTableView|QLabel|QListWidget)' src \
      | grep -vE '/frm[A-Za-z0-9_]*\.(h|cpp)$|^src/ui/|^src/app/main\.cpp$' || true)
if [ -n "$bad" ]; then
  echo "Widget headers outside the windows and src/ui:" >&2
  echo "$bad" >&2
  exit 1
fi
echo "layers: core files include no widget headers"
