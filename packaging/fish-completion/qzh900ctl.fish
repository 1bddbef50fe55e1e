# fish completion for qzh900ctl: verbs and options from the program's --help texts, item names
# from "qzh900ctl list --names", an item's fields and buttons from "qzh900ctl list ITEM".

function __qzh900ctl_words_after_verb
    # The words after the verb (common options and their values skipped).
    set -l words (commandline -opc)
    set -e words[1]
    set -l skip 0
    set -l seen 0
    for w in $words
        if test $skip = 1
            set skip 0
            continue
        end
        switch $w
            case --port --baud --lang
                set skip 1
            case '-*'
                test $seen = 1; and echo $w
            case '*'
                set seen 1
                echo $w
        end
    end
end

function __qzh900ctl_verb
    __qzh900ctl_words_after_verb | head -n 1
end

function __qzh900ctl_item
    # The first word after the verb that is no option value.
    set -l prev ''
    for w in (__qzh900ctl_words_after_verb)[2..-1]
        if not string match -q -- '-*' $w; and not string match -q -- '-*' $prev
            echo $w
            return
        end
        set prev $w
    end
end

function __qzh900ctl_no_verb
    test -z (__qzh900ctl_verb)
end

complete -c qzh900ctl -f
complete -c qzh900ctl -n __qzh900ctl_no_verb -a '(qzh900ctl --help 2>/dev/null | sed -n "/^verbs:/,/^\$/s/^  \([a-z][a-z]*\) .*/\1/p")'
complete -c qzh900ctl -l port -x -a '(qzh900ctl ports 2>/dev/null | awk "{print \$1; print \$2}")'
complete -c qzh900ctl -l lang -x -a 'en ja'
complete -c qzh900ctl -l baud -x -a '9600 19200 38400 57600 115200'
complete -c qzh900ctl -l json -d 'JSON Lines'
complete -c qzh900ctl -l help -s h
complete -c qzh900ctl -n __qzh900ctl_no_verb -l version
complete -c qzh900ctl -l family -x -a 'hdx fdx sic7888 em4305'
complete -c qzh900ctl -l chip -x -a 'sic279 sic7888 em4305 hdxplus'
complete -c qzh900ctl -l type -x -a 'auto multipage sic279 sic7888 em4305'
complete -c qzh900ctl -l csv -r -F
complete -c qzh900ctl -n 'test (__qzh900ctl_verb) = ledger; and test -z (__qzh900ctl_item)' -a 'status orphans export release void'
complete -c qzh900ctl -n 'contains -- (__qzh900ctl_verb) run list; and test -z (__qzh900ctl_item)' -a '(qzh900ctl list --names 2>/dev/null)'
complete -c qzh900ctl -n 'test (__qzh900ctl_verb) = run' -s a -l answer -x -a '(qzh900ctl list (__qzh900ctl_item) 2>/dev/null | sed -n "/^    stays open; /d; s/^    \([A-Za-z][A-Za-z0-9_]*\) .*/\1=/p")'
complete -c qzh900ctl -n 'test (__qzh900ctl_verb) = run' -l press -x -a '(qzh900ctl list (__qzh900ctl_item) 2>/dev/null | sed -n "s/^    stays open; actions: //p" | grep -o "\(^\|, \)[A-Za-z][A-Za-z0-9_]* \"" | tr -d " ,\\"")'
