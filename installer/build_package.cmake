# Builds Vantrel-<major>.<minor>-x64.msi from installer/Vantrel.wxs with wixl.
#   cmake -DVERSION=3.6.437 -DPROGRAM_DIR=<build/win/bin> -DSETUP_DLL=<VantrelSetup.dll>
#         -DOUTPUT=<file.msi> [-DWIXL=<wixl>] -P installer/build_package.cmake
# The build runs it for the project's version; the package's end-to-end test runs it again
# for higher versions, from the same source.
cmake_minimum_required(VERSION 3.21)

foreach(var VERSION PROGRAM_DIR SETUP_DLL OUTPUT)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "build_package.cmake: ${var} is not set")
  endif()
endforeach()
if(NOT DEFINED WIXL OR "${WIXL}" STREQUAL "")
  set(WIXL wixl)
endif()

# Windows Installer compares major.minor.build, each within its range.
if(NOT VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "build_package.cmake: the version must be major.minor.build, not '${VERSION}'")
endif()
if(CMAKE_MATCH_1 GREATER 255 OR CMAKE_MATCH_2 GREATER 255 OR CMAKE_MATCH_3 GREATER 65535)
  message(FATAL_ERROR "build_package.cmake: version ${VERSION} is out of Windows Installer's range")
endif()

set(source_dir ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(repo_dir ${source_dir} DIRECTORY)
foreach(file OrlixVantrel.exe VantrelService.exe)
  if(NOT EXISTS ${PROGRAM_DIR}/${file})
    message(FATAL_ERROR "build_package.cmake: ${PROGRAM_DIR}/${file} is missing")
  endif()
endforeach()

# One product code per version: installing a rebuilt package of an installed version is
# refused as the same product instead of making a second entry.
string(UUID product_code NAMESPACE 1D63020D-7A92-4C38-AFBD-19B6F07AF4F4
       NAME "Vantrel x64 ${VERSION}" TYPE SHA1 UPPER)

# wixl finds sources only by names relative to its working folder: the package's files are
# gathered in one folder beside the output, under the names the package source uses.
set(stage ${OUTPUT}.files)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage})
file(COPY ${PROGRAM_DIR}/OrlixVantrel.exe ${PROGRAM_DIR}/VantrelService.exe DESTINATION ${stage})
file(COPY_FILE ${SETUP_DLL} ${stage}/VantrelSetup.dll)
file(COPY_FILE ${repo_dir}/app/res/vantrel.ico ${stage}/Vantrel.ico)
set(defines -D Version=${VERSION} -D ProductCode=${product_code})
# Files other parts of the build put beside the programs ship when they are there.
if(EXISTS ${PROGRAM_DIR}/Vantrel.chm)
  file(COPY ${PROGRAM_DIR}/Vantrel.chm DESTINATION ${stage})
  list(APPEND defines -D HelpFile=Vantrel.chm)
endif()

get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
execute_process(
  COMMAND ${WIXL} -a x64 ${defines} -o ${OUTPUT}.part ${source_dir}/Vantrel.wxs
  WORKING_DIRECTORY ${stage}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
# wixl reports unknown attributes as warnings and still succeeds: a warning is a mistake in
# the package source.
if(NOT result EQUAL 0 OR err MATCHES "WARNING|CRITICAL|rror")
  file(REMOVE ${OUTPUT}.part)
  file(REMOVE_RECURSE ${stage})
  message(FATAL_ERROR "wixl failed (${result}):\n${out}${err}")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
file(REMOVE_RECURSE ${stage})
