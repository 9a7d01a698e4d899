# SPDX-License-Identifier: Apache-2.0
# Bash completion for kelvado-cli: its commands, their options, the input fields of --vary
# (and a zone's values, zoneN.KEY)
# and the material names, all asked of the program itself so that they never drift from it.

_kelvado_cli() {
  local cur prev words cword
  _init_completion -n =: || return
  local program=${words[0]} command="" word
  for word in "${words[@]:1:cword-1}"; do
    case $word in
      sweep | characteristic | operating-point | die-curve | materials) command=$word; break ;;
    esac
  done

  case $prev in
    -o | --output | --inputs | --json | --csv) _filedir; return ;;
    --flow-model) mapfile -t COMPREPLY < <(compgen -W "classic consistent" -- "$cur"); return ;;
    --feed) mapfile -t COMPREPLY < <(compgen -W "melt pellets" -- "$cur"); return ;;
    --units) mapfile -t COMPREPLY < <(compgen -W "kgf/cm2 MPa bar psi" -- "$cur"); return ;;
    --encoding) mapfile -t COMPREPLY < <(compgen -W "shift-jis utf-8" -- "$cur"); return ;;
    --decimal-separator) mapfile -t COMPREPLY < <(compgen -W ". ," -- "$cur"); return ;;
    --material)
      # One name a line, as the JSON list gives them; compgen would expand their quotes. A
      # name goes in quoted as the shell reads it back whole: in the quote the user opened,
      # else with its spaces, parentheses and apostrophes escaped.
      local name quote="" typed=$cur
      [[ $cur == [\"\']* ]] && quote=${cur:0:1} typed=${cur:1}
      COMPREPLY=()
      while IFS= read -r name; do
        [[ $name == "$typed"* ]] || continue
        if [[ $quote == \" && $name != *[\\\$\`]* ]]; then
          COMPREPLY+=("\"$name\"")
        elif [[ $quote == \' ]]; then
          COMPREPLY+=("'${name//\'/\'\\\'\'}'")
        else
          COMPREPLY+=("$(printf '%q' "$name")")
        fi
      done < <("$program" materials --json 2>/dev/null | grep -o '"name":"[^"]*"' | sed 's/^"name":"//; s/"$//')
      return ;;
    --vary)
      if [[ $cur =~ ^zone([0-9]+)\. ]]; then
        local n=${BASH_REMATCH[1]}
        mapfile -t COMPREPLY < <(compgen -S = -P "zone$n." \
          -W "turns depth depth-from depth-to pitch flight-width barrel-temp" -- "${cur#zone$n.}")
      else
        mapfile -t COMPREPLY < <(compgen -S = -W "$("$program" --help 2>/dev/null |
          sed -n 's/^  --\([a-z-]*\) TEXT .*/\1/p' | grep -vx zone)" -- "$cur")
      fi
      compopt -o nospace 2>/dev/null
      return ;;
  esac

  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$("$program" $command --help 2>/dev/null |
      grep -oE '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u)" -- "$cur")
  elif [[ -z $command ]]; then
    mapfile -t COMPREPLY < <(compgen -W "sweep characteristic operating-point die-curve materials" -- "$cur")
  fi
}
complete -F _kelvado_cli kelvado-cli
