# Black-box cases of quorvel-cli that need more than one run or a look at stderr and files.
# CLI: the executable, DIR: a scratch directory, DATA: tests/cli/data, CASE: which one.
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})

function(run)
  cmake_parse_arguments(R "" "" "ENV" ${ARGN})
  execute_process(COMMAND ${CMAKE_COMMAND} -E env ${R_ENV} ${R_UNPARSED_ARGUMENTS}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 120)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
  set(rc "${rc}" PARENT_SCOPE)
endfunction()

function(expect what text pattern)
  if(NOT "${text}" MATCHES "${pattern}")
    message(FATAL_ERROR "${what}: no '${pattern}' in:\n${text}")
  endif()
endfunction()

function(expect_rc want)
  if(NOT rc EQUAL ${want})
    message(FATAL_ERROR "exit ${rc}, expected ${want}\nstdout:\n${out}\nstderr:\n${err}")
  endif()
endfunction()

# Every command's help is on stdout, exits 0 and names each of its options.
if(CASE STREQUAL "help")
  set(run_opts --telegrams --latin --wpm --go-on --json --settings --data-dir)
  set(opts_receive ${run_opts} --freq --sound-type --band-activity --band-noise --band-filter
      --band --wav --audio --quality --realtime BandQRN BandOverload "[VALA]" "[Preamble]" 明瞭CW練習音)
  set(opts_send ${run_opts} --timings --serial --realtime --auto "d240 u80" "a300")
  set(opts_generate --lang --level --category --weak --normal --seed --out --data-dir 国家試験)
  set(opts_encode --latin TEXT)
  set(opts_ports "DSR")
  foreach(cmd receive send generate encode ports)
    foreach(form "${cmd};--help" "${cmd};-h" "help;${cmd}")
      run(${CLI} ${form})
      expect_rc(0)
      foreach(o ${opts_${cmd}})
        string(FIND "${out}" "${o}" at)
        if(at LESS 0)
          message(FATAL_ERROR "'${form}' does not name ${o}:\n${out}")
        endif()
      endforeach()
    endforeach()
  endforeach()
  foreach(form "--help" "-h" "help")
    run(${CLI} ${form})
    expect_rc(0)
    foreach(cmd receive send generate encode ports)
      expect("${form}" "${out}" "${cmd}")
    endforeach()
  endforeach()
  run(${CLI})
  expect_rc(2)
  run(${CLI} nonsense)
  expect_rc(2)

# A file whose layout does not match the language asked for is never a judged garbage run.
elseif(CASE STREQUAL "language")
  run(${CLI} receive --latin --telegrams ${DATA}/japanese_one.txt --data-dir ${DIR}/a)
  expect_rc(2)
  expect("stderr" "${err}" "holds Japanese telegrams.*leave out --latin")
  if(out MATCHES "result" OR EXISTS ${DIR}/a/telegram_practice_log.csv)
    message(FATAL_ERROR "a refused file was run:\n${out}")
  endif()
  # Without --latin it is practised from its first telegram; a Latin ini is followed by notice.
  file(WRITE ${DIR}/b/telegram_practice.ini "[Settings]\nLang=0\nWPM=40\n")
  run(${CLI} receive --telegrams ${DATA}/japanese_one.txt --data-dir ${DIR}/b)
  expect_rc(0)
  expect("stderr" "${err}" "holds Japanese telegrams: practising in Japanese")
  expect("stdout" "${out}" "^(message [^\n]*\n)*telegram 1\npreamble.model 九三\npreamble.entered 九三\n")
  # A file that reads but holds no whole telegram names the tags it needs.
  file(WRITE ${DIR}/half.txt "[VALA]\n一\n[VALB]\nア\n")
  run(${CLI} receive --telegrams ${DIR}/half.txt --data-dir ${DIR}/c)
  expect_rc(2)
  expect("stderr" "${err}" "no complete telegram.*\\[VALA\\] \\[VALB\\] \\[VALC\\] \\[VALD\\] \\[VALE\\] \\[TEXT\\].*\\[Preamble\\] \\[To\\] \\[Text\\]")

# SIGTERM ends a real-time run like Ctrl-C: 143, the telegram so far printed, whole log rows.
# The kill after one more second is only a hang guard.
elseif(CASE STREQUAL "sigterm")
  run(timeout --preserve-status -s TERM -k 1 1 ${CLI} receive --realtime --wpm 40
      --data-dir ${DIR}/rt ENV SDL_AUDIODRIVER=dummy)
  expect_rc(143)
  expect("stdout" "${out}" "^audio (none|[a-z0-9_]+ [0-9]+ Hz [0-9]+ ch [0-9]+ frames [0-9]+ us)\n")
  expect("stdout" "${out}" "telegram 1\n.*\nresult ")
  file(READ ${DIR}/rt/telegram_practice_log.csv log HEX)
  expect("practice log" "${log}" "0d0a$")  # the last row is whole
  file(STRINGS ${DIR}/rt/telegram_practice_log.csv rows)
  list(LENGTH rows n)
  if(n LESS 2)
    message(FATAL_ERROR "no judged rows in the practice log")
  endif()
  # The JSON form names what the sound device gave.
  run(timeout --preserve-status -s TERM -k 1 1 ${CLI} receive --realtime --json --wpm 40
      --data-dir ${DIR}/rt ENV SDL_AUDIODRIVER=dummy)
  expect_rc(143)
  expect("stdout" "${out}"
         "^{\"audio\":{\"open\":(true|false),\"driver\":\"[a-z0-9_]*\",\"rate\":[0-9]+,\"channels\":[0-9]+,\"bufferFrames\":[0-9]+,\"latencyUs\":[0-9]+}}\n")

# The data directory: per-user from a build directory, the executable's own directory once it
# holds the settings file, and the settings of the data directory used without --settings.
elseif(CASE STREQUAL "datadir")
  get_filename_component(exe_dir ${CLI} DIRECTORY)
  set(home ${DIR}/home)
  run(${CLI} receive --wpm 40 ENV --unset=XDG_DATA_HOME --unset=QUORVEL_DATA_DIR HOME=${home})
  expect_rc(0)
  if(NOT EXISTS ${home}/.local/share/quorvel/telegram_practice_log.csv)
    message(FATAL_ERROR "no history in ${home}/.local/share/quorvel")
  endif()
  if(EXISTS ${exe_dir}/telegram_practice_log.csv)
    message(FATAL_ERROR "history written beside the executable in ${exe_dir}")
  endif()
  run(${CLI} receive --wpm 40 ENV --unset=QUORVEL_DATA_DIR HOME=${home} XDG_DATA_HOME=${DIR}/xdg)
  expect_rc(0)
  if(NOT EXISTS ${DIR}/xdg/quorvel/telegram_practice_log.csv)
    message(FATAL_ERROR "no history under XDG_DATA_HOME")
  endif()

  # A portable installation keeps its files beside the executable, and its ini is read.
  file(MAKE_DIRECTORY ${DIR}/portable)
  file(COPY ${CLI} DESTINATION ${DIR}/portable)
  file(WRITE ${DIR}/portable/telegram_practice.ini "[Settings]\nWPM=40\nLang=0\n")
  get_filename_component(exe_name ${CLI} NAME)
  run(${DIR}/portable/${exe_name} receive ENV --unset=XDG_DATA_HOME --unset=QUORVEL_DATA_DIR
      HOME=${home})
  expect_rc(0)
  expect("stdout" "${out}" "preamble.entered 18 IZUMIMARU")
  expect("stdout" "${out}" "CPM 1[0-9][0-9]")  # 40 WPM; 15 WPM gives about 40
  if(NOT EXISTS ${DIR}/portable/telegram_practice_log.csv)
    message(FATAL_ERROR "the portable installation's history went elsewhere")
  endif()

  # With nowhere to keep the history the run says so first, names --data-dir and fails.
  run(${CLI} receive --wpm 40 ENV --unset=XDG_DATA_HOME --unset=QUORVEL_DATA_DIR --unset=HOME)
  expect_rc(1)
  expect("stderr" "${err}" "^quorvel-cli receive: the practice history cannot be written.*--data-dir")
  expect("stderr" "${err}" "history of this run was not completely written \\(no data directory\\)")

# Messages that help a first user: encode warnings, no temporary file name, --serial options.
elseif(CASE STREQUAL "messages")
  run(${CLI} encode CQ)
  expect_rc(0)
  expect("stderr" "${err}" "'C' has no code in the Japanese table.*'Q'.*add --latin")
  run(${CLI} encode --latin CQ)
  if(NOT err STREQUAL "")
    message(FATAL_ERROR "warnings for a text the table codes:\n${err}")
  endif()
  # Every band effect the help lists is one the run takes.
  run(${CLI} help receive)
  string(REGEX MATCHALL "\n  Band[A-Za-z]+" keys "${out}")
  string(REGEX REPLACE "\n  " "" keys "${keys}")
  list(LENGTH keys n)
  if(n LESS 21)
    message(FATAL_ERROR "only ${n} band effects in the help")
  endif()
  string(REPLACE ";" "," keys "${keys}")
  run(${CLI} receive --wpm 40 --band ${keys} --data-dir ${DIR}/band)
  expect_rc(0)
  run(${CLI} generate --lang ja --out ${DIR}/missing/x.txt)
  expect_rc(1)
  if(err MATCHES "\\.tmp")
    message(FATAL_ERROR "a temporary file named:\n${err}")
  endif()
  run(${CLI} send --serial /dev/quorvel-no-such-port --realtime --data-dir ${DIR}/s
      --settings ${DATA}/latin_fast.ini)
  expect_rc(1)
  expect("stderr" "${err}" "^quorvel-cli send: cannot open /dev/quorvel-no-such-port")
  if(NOT out STREQUAL "")
    message(FATAL_ERROR "run messages before the port check:\n${out}")
  endif()
# The history's files against what a hostile or unlucky user puts in their place.
elseif(CASE STREQUAL "history")
  # A directory where a log should be: the run says what it could not write and fails.
  foreach(log telegram_practice_char_log.csv telegram_practice_log.txt)
    file(MAKE_DIRECTORY ${DIR}/blocked-${log}/${log})
    run(${CLI} receive --wpm 40 --data-dir ${DIR}/blocked-${log})
    expect_rc(1)
    expect("stderr" "${err}" "quorvel-cli: ERROR: 練習履歴を保存できませんでした。")
    expect("stderr" "${err}" "not completely written \\([0-9]+ [a-z ]+ of [^)]*${log}\\)")
  endforeach()

  # A disk that fills part-way through the run (a file size limit of 20 KiB).
  run(sh -c "trap '' XFSZ\nulimit -f 40 && exec \"$0\" receive --wpm 40 --data-dir \"$1\""
      ${CLI} ${DIR}/full)
  expect_rc(1)
  expect("stderr" "${err}" "not completely written \\([0-9]+ rows of")

  # Another Quorvel holds the directory: refused with its process id, nothing changed.
  file(MAKE_DIRECTORY ${DIR}/busy)
  run(sh -c "flock \"$1/quorvel.lock\" sh -c 'echo $$ > \"$0\"\nsleep 3' \"$1/quorvel.lock\" & sleep 1\n\"$0\" receive --wpm 40 --data-dir \"$1\"\nrc=$?\nwait\nexit $rc"
      ${CLI} ${DIR}/busy)
  expect_rc(1)
  expect("stderr" "${err}" "in use by another Quorvel \\(process [0-9]+\\); nothing was changed")
  if(EXISTS ${DIR}/busy/telegram_practice_log.csv)
    message(FATAL_ERROR "a refused run wrote history")
  endif()

  # Two runs at once on one directory: every judged character counted exactly once.
  run(sh -c "\"$0\" receive --wpm 40 --data-dir \"$1\" >/dev/null 2>\"$1.a\" & \"$0\" receive --wpm 40 --data-dir \"$1\" >/dev/null 2>\"$1.b\"\nwait"
      ${CLI} ${DIR}/twice)
  file(STRINGS ${DIR}/twice/telegram_practice_log.csv rows REGEX "途中")
  list(LENGTH rows judged)
  file(STRINGS ${DIR}/twice/telegram_practice_char_log.csv chars REGEX "^[^,]+,[0-9]+,")
  set(asked 0)
  foreach(c ${chars})
    string(REGEX MATCH "^[^,]+,([0-9]+)," m "${c}")
    math(EXPR asked "${asked} + ${CMAKE_MATCH_1}")
  endforeach()
  if(NOT asked EQUAL judged)
    message(FATAL_ERROR "${judged} judged rows but ${asked} judgements in the character log")
  endif()

  # A FIFO in place of the settings file, a log or a telegram file: refused, never waited on.
  file(MAKE_DIRECTORY ${DIR}/fifo)
  foreach(f telegram_practice.ini telegram_practice_log.csv telegram_practice_char_log.csv)
    execute_process(COMMAND mkfifo ${DIR}/fifo/${f})
  endforeach()
  execute_process(COMMAND mkfifo ${DIR}/fifo.txt)
  run(${CLI} stats --data-dir ${DIR}/fifo)
  expect_rc(0)
  expect("stdout" "${out}" "まだ履歴CSVがありません")
  run(${CLI} dashboard --data-dir ${DIR}/fifo)
  expect_rc(0)
  run(${CLI} generate --lang ja --weak --seed 1 --out ${DIR}/weak.txt --data-dir ${DIR}/fifo)
  expect_rc(0)
  run(${CLI} receive --wpm 40 --data-dir ${DIR}/fifo)
  expect_rc(1)
  expect("stderr" "${err}" "cannot read the settings file")
  run(${CLI} receive --telegrams ${DIR}/fifo.txt --data-dir ${DIR}/fifo)
  expect_rc(2)

  # Output files: a link keeps its target, a FIFO is written through, empty names refused.
  file(WRITE ${DIR}/target.txt "old")
  file(CREATE_LINK target.txt ${DIR}/link.txt SYMBOLIC)
  file(WRITE ${DIR}/link.txt.tmp "the user's own file")
  run(${CLI} generate --lang latin --seed 3 --out ${DIR}/link.txt)
  expect_rc(0)
  file(READ ${DIR}/target.txt text)
  expect("target" "${text}" "\\[Preamble\\]")
  file(READ ${DIR}/link.txt.tmp text)
  expect("user's file" "${text}" "^the user's own file$")
  if(NOT IS_SYMLINK ${DIR}/link.txt)
    message(FATAL_ERROR "the link was replaced by a file")
  endif()
  execute_process(COMMAND mkfifo ${DIR}/fifo.wav)
  run(sh -c "cat \"$1\" > \"$1.head\" & \"$0\" receive --wpm 40 --data-dir \"$1.d\" --wav \"$1\" >/dev/null\nrc=$?\nwait\nexit $rc"
      ${CLI} ${DIR}/fifo.wav)
  expect_rc(0)
  file(READ ${DIR}/fifo.wav.head head LIMIT 4)
  expect("FIFO" "${head}" "^RIFF")
  file(SIZE ${DIR}/fifo.wav.head size)
  if(size LESS 100000)
    message(FATAL_ERROR "only ${size} bytes came through the FIFO")
  endif()
  # (through a shell: a CMake list cannot hold an empty argument)
  run(sh -c "exec \"$0\" receive --data-dir '' --wpm 40" ${CLI})
  expect_rc(2)
  expect("stderr" "${err}" "--data-dir")
  run(sh -c "exec \"$0\" generate --lang ja --out ''" ${CLI})
  expect_rc(2)
  expect("stderr" "${err}" "--out")

  # A data directory named in Shift-JIS bytes (練習): a run, its report and its dashboard.
  run(sh -c "d=\"$1/$(printf '\\227\\373\\217\\113')\" && \"$0\" receive --wpm 40 --data-dir \"$d\" >/dev/null && \"$0\" stats --data-dir \"$d\" && \"$0\" dashboard --data-dir \"$d\""
      ${CLI} ${DIR})
  expect_rc(0)
  expect("stats" "${out}" "\\[達成\\] 初回受信")
# Audio export: the format by the name, the size said first, and Ctrl-C in a long export
# leaving no file behind, neither the target nor a temporary one.
elseif(CASE STREQUAL "export")
  run(${CLI} receive --latin --wpm 40 --data-dir ${DIR}/d --audio ${DIR}/set.MP3 --quality 2)
  expect_rc(0)
  expect("stderr" "${err}" "writing [0-9]+ min [0-9]+ s of audio \\(about [0-9.]+ MB\\) to ")
  file(READ ${DIR}/set.MP3 head LIMIT 3)
  expect("set.MP3" "${head}" "^ID3")
  # Ctrl-C once the export has said what it writes, however slow the machine.
  run(sh -c "\"$0\" receive --wpm 5 --data-dir \"$1/d\" --audio \"$1/long.flac\" 2>\"$1/export.err\" & p=$!
for i in $(seq 600)
do
  grep -q 'of audio' \"$1/export.err\" && break
  sleep 0.1
done
sleep 0.5
kill -INT $p
wait $p
rc=$?
cat \"$1/export.err\" >&2
exit $rc" ${CLI} ${DIR})
  expect_rc(130)
  expect("stderr" "${err}" "interrupted; .*long.flac was not written")
  file(GLOB left ${DIR}/long*)
  if(left)
    message(FATAL_ERROR "an interrupted export left ${left}")
  endif()
else()
  message(FATAL_ERROR "unknown CASE ${CASE}")
endif()
