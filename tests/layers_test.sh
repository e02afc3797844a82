#!/usr/bin/env bash
# The layers, checked on the sources: which folder under src/ must not include what.
#   layers_test.sh <src folder>   fails, naming file, line and rule, when a file breaks a rule
#   layers_test.sh --self-test    plants each rule's examples in a scratch tree: the forbidden one
#                                 must be caught, the allowed one must pass
set -euo pipefail

# The include path of a Qt header: <QString>, <QtCore/qglobal.h>, <qglobal.h>.
QT='^(Q[A-Za-z]|Qt[A-Za-z]*/|q[a-z0-9_]+\.h$)'
# The window folders, one per subsystem, and the main window's.
WINDOWS='archive|audio|description|filemanager|lang|catalog|app'

# folder, forbidden include paths (extended regex), an include it catches, an include it allows
# (the examples are project headers unless written in angle brackets)
RULES=(
  "core         $QT                                                       <QString>                     <vector>"
  "core         ^(engineclient|platform|widgets|cli|$WINDOWS)/            platform/Prompts.h            core/files/Entry.h"
  "engineclient $QT                                                       <QtCore/qglobal.h>            <dlfcn.h>"
  "engineclient ^(platform|widgets|cli|$WINDOWS)/                         widgets/DizPage.h             core/ProfileFile.h"
  "cli          $QT                                                       <qglobal.h>                   <cstdio>"
  "cli          ^(platform|widgets|$WINDOWS)/                             app/ZipMain.h                 engineclient/Zip32.h"
  "platform     ^(widgets|cli|$WINDOWS)/                                  widgets/MFileExplorer.h       core/files/Entry.h"
  "widgets      ^(cli|$WINDOWS)/                                          description/Cust_ext.h        platform/Prompts.h"
  "archive      ^(cli|audio|description|filemanager|lang|catalog|app)/    app/ZipMain.h                 widgets/MainWindowState.h"
  "audio        ^(cli|archive|description|filemanager|lang|catalog|app)/  description/DescriptionView.h widgets/DizPage.h"
  "description  ^(cli|archive|audio|filemanager|lang|catalog|app)/        archive/ZipOptZ.h             widgets/EditingKeys.h"
  "filemanager  ^(cli|archive|audio|description|lang|catalog|app)/        archive/PackerPage.h          widgets/FolderHistory.h"
  "lang         ^(cli|archive|audio|description|filemanager|catalog|app)/ catalog/CatalogueWindow.h     platform/PathText.h"
  "catalog      ^(cli|archive|audio|description|filemanager|lang|app)/    lang/ZipLang.h                platform/DefaultCommand.h"
)

# check <src folder>: prints every broken rule; false when there is one.
check() {
  local src=$1 broken=0 rule folder forbidden hit
  for rule in "${RULES[@]}"; do
    read -r folder forbidden _ <<<"$rule"
    [[ -d $src/$folder ]] || continue
    # file:line:path of every include in the folder's sources
    while IFS= read -r hit; do
      echo "$hit is not for $folder/ (rule: $forbidden)"
      broken=1
    done < <(find "$src/$folder" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0 |
      xargs -0 -r grep -HnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' |
      sed -E 's/^([^:]*:[0-9]+):[^<"]*[<"]([^>"]*)[>"].*/\1:\2/' |
      awk -F: -v re="$forbidden" '$3 ~ re')
  done
  return $broken
}

self_test() {
  local failed=0 rule folder caught allowed example got want
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  for rule in "${RULES[@]}"; do
    read -r folder _ caught allowed <<<"$rule"
    for example in "$caught" "$allowed"; do
      rm -rf "${scratch:?}/src"
      mkdir -p "$scratch/src/$folder"
      if [[ $example == \<* ]]; then
        printf '#include %s\n' "$example" >"$scratch/src/$folder/Planted.cpp"
      else
        printf '#include "%s"\n' "$example" >"$scratch/src/$folder/Planted.cpp"
      fi
      if check "$scratch/src" >/dev/null; then got=allowed; else got=caught; fi
      want=allowed
      [[ $example == "$caught" ]] && want=caught
      if [[ $got != "$want" ]]; then
        echo "self-test: $folder/ including $example was $got, should be $want"
        failed=1
      fi
    done
  done
  return $failed
}

if [[ ${1:-} == --self-test ]]; then
  self_test && echo "layer rules: every example caught or allowed as it should be"
else
  check "${1:?usage: layers_test.sh <src folder> | --self-test}" && echo "layers: no file includes across its layer"
fi
