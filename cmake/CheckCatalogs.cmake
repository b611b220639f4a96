cmake_minimum_required(VERSION 3.25)
# Fails when a text in the code has no translation in a catalog: lupdate is run over the code into
# a scratch copy of each catalog, and any entry it leaves unfinished (a new text, or one never
# translated) would reach that language's users in English without anyone noticing.
#   cmake -DROOT=<source tree> -DWORK=<scratch folder> -DLUPDATE=<lupdate> -P CheckCatalogs.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(GLOB catalogs "${ROOT}/i18n/quorvin_*.ts")
set(missing "")
foreach(ts IN LISTS catalogs)
  get_filename_component(name "${ts}" NAME)
  file(COPY "${ts}" DESTINATION "${WORK}")
  execute_process(COMMAND "${LUPDATE}" -silent -no-obsolete -locations none ops front app cli -ts "${WORK}/${name}"
                  WORKING_DIRECTORY "${ROOT}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "lupdate failed on ${name}")
  endif()
  file(STRINGS "${WORK}/${name}" unfinished REGEX "type=\"unfinished\"")
  list(LENGTH unfinished n)
  if(n GREATER 0)
    string(APPEND missing "  ${name}: ${n} text(s) without a translation (run scripts/update-translations)\n")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "Catalogs behind the code:\n${missing}")
endif()
