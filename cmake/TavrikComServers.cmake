# tavrik_com_server(<target>): a DLL that the Wine prefix registers with regsvr32.
# tavrik_prefix_install(<target> <folder>): a file that the Wine prefix installs into
# C:\Program Files\<folder>; a COM server installed so is registered from there.
# The lists land in bin/com-servers.txt and bin/prefix-installs.txt once every directory
# has been read; their lines are "<file name>" or "<file name>|<folder>".
function(tavrik_com_server target)
  set(folder "$<TARGET_PROPERTY:${target},TAVRIK_PREFIX_FOLDER>")
  set_property(GLOBAL APPEND PROPERTY TAVRIK_COM_SERVERS
               "$<TARGET_FILE_NAME:${target}>$<$<BOOL:${folder}>:|${folder}>")
endfunction()

function(tavrik_prefix_install target folder)
  set_property(TARGET ${target} PROPERTY TAVRIK_PREFIX_FOLDER "${folder}")
  set_property(GLOBAL APPEND PROPERTY TAVRIK_PREFIX_INSTALLS "$<TARGET_FILE_NAME:${target}>|${folder}")
endfunction()

function(tavrik_write_com_server_list)
  foreach(list COM_SERVERS PREFIX_INSTALLS)
    get_property(entries GLOBAL PROPERTY TAVRIK_${list})
    list(JOIN entries "\n" text)
    string(TOLOWER ${list} name)
    string(REPLACE "_" "-" name ${name})
    file(GENERATE OUTPUT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name}.txt CONTENT "${text}\n")
  endforeach()
endfunction()
