# Checks that each Windows program named runs on a bare Windows 10 or later:
# a program of the graphical subsystem that imports no DLL but Windows' own,
# declared aware of the system DPI in its manifest.
#
#   cmake -DOBJDUMP=<objdump> -DPROGRAMS=<a.exe>,<b.exe>,... -P cmake/checkwindowsprograms.cmake
#
# The C runtime counts as Windows' own in both its forms: msvcrt.dll (Debian's
# mingw-w64) and the Universal C Runtime (ucrtbase.dll and its api-ms-win-crt-*
# sets, MSYS2's UCRT64), which every Windows from 10 on has. CTest runs it on
# Windows (tests/windows/CMakeLists.txt), the Windows test stage here.
set(systemdlls "kernel32|user32|gdi32|comctl32|comdlg32|ole32|oleaut32|shell32|advapi32|ws2_32|msvcrt|imm32|uuid")
string(APPEND systemdlls "|version|shlwapi|winmm|ucrtbase|api-ms-win-crt-[a-z0-9-]+")
if(NOT OBJDUMP OR NOT PROGRAMS)
  message(FATAL_ERROR "usage: cmake -DOBJDUMP=<objdump> -DPROGRAMS=<a.exe>,... -P checkwindowsprograms.cmake")
endif()
string(REPLACE "," ";" programs "${PROGRAMS}")
set(failed 0)
foreach(program IN LISTS programs)
  get_filename_component(name "${program}" NAME)
  if(NOT EXISTS "${program}")
    message(SEND_ERROR "${name} was not built (${program})")
    set(failed 1)
    continue()
  endif()
  execute_process(COMMAND "${OBJDUMP}" -p "${program}" OUTPUT_VARIABLE headers RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(SEND_ERROR "${OBJDUMP} could not read ${program}")
    set(failed 1)
    continue()
  endif()
  if(NOT headers MATCHES "Subsystem[ \t]+00000002")
    message(SEND_ERROR "${name} is not a program of the graphical subsystem")
    set(failed 1)
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
  set(others "")
  foreach(import IN LISTS imports)
    string(REGEX REPLACE "^DLL Name: " "" dll "${import}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll)
    if(NOT dll MATCHES "^((${systemdlls})[.]dll|winspool[.]drv)$")
      list(APPEND others "${dll}")
    endif()
  endforeach()
  if(others)
    message(SEND_ERROR "${name} imports DLLs that a bare Windows lacks: ${others}")
    set(failed 1)
  else()
    message(STATUS "${name}: graphical subsystem, Windows' own DLLs only")
  endif()
  # The programs scale their windows by the system DPI themselves: without the
  # manifest that says so, Windows would stretch them a second time, blurred.
  file(STRINGS "${program}" awareness REGEX "<dpiAware[^>]*>true</dpiAware>")
  if(NOT awareness)
    message(SEND_ERROR "${name} holds no manifest declaring it aware of the system DPI")
    set(failed 1)
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "not every program runs on a bare Windows")
endif()
