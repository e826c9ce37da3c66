cmake_minimum_required(VERSION 3.20)

# Fails when the executable imports a DLL that Windows might load from somewhere other than
# the system directory: only KnownDLLs (Windows 7's list) and comctl32, which the manifest
# binds to the system's side-by-side copy, may be in its import table.
#
#   cmake -DOBJDUMP=<objdump> -DEXE=<exe> -P CheckImports.cmake
set(allowed
    advapi32.dll clbcatq.dll comdlg32.dll difxapi.dll gdi32.dll iertutil.dll imagehlp.dll
    kernel32.dll lpk.dll msctf.dll msvcrt.dll normaliz.dll nsi.dll ole32.dll oleaut32.dll
    psapi.dll rpcrt4.dll sechost.dll setupapi.dll shell32.dll shlwapi.dll urlmon.dll
    user32.dll usp10.dll wininet.dll wldap32.dll ws2_32.dll
    comctl32.dll)
execute_process(COMMAND "${OBJDUMP}" -p "${EXE}" OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} could not read ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
if(NOT lines)
    message(FATAL_ERROR "no import table found in ${EXE}")
endif()
set(refused "")
foreach(line IN LISTS lines)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(TOLOWER "${dll}" dll)
    message(STATUS "imports ${dll}")
    if(NOT dll IN_LIST allowed)
        list(APPEND refused "${dll}")
    endif()
endforeach()
if(refused)
    message(FATAL_ERROR "${EXE} imports DLLs that are no KnownDLLs: ${refused}")
endif()
