# tavrik_com_server(<target>): a DLL that the Wine prefix registers with regsvr32.
# The list lands in bin/com-servers.txt once every directory has been read.
function(tavrik_com_server target)
  set_property(GLOBAL APPEND PROPERTY TAVRIK_COM_SERVERS "$<TARGET_FILE_NAME:${target}>")
endfunction()

function(tavrik_write_com_server_list)
  get_property(servers GLOBAL PROPERTY TAVRIK_COM_SERVERS)
  list(JOIN servers "\n" text)
  file(GENERATE OUTPUT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/com-servers.txt CONTENT "${text}\n")
endfunction()
