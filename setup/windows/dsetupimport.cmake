# Outfitter imports DirectXSetupA from DSETUP.DLL, which comes with DirectX on
# the CD and is not built here: the import library is made with dlltool from a
# .def of our own. On i686 the function is stdcall, so the code refers to
# _DirectXSetupA@12 while the DLL exports the bare name; dlltool -k drops the
# decoration from the imported name.
# The import is delay-loaded (-y): DSETUP.DLL lies in \DATA1\ on the CD, not
# beside the CD's OUTFIT.EXE, so a load-time import would keep the first
# start, UNINSTALL and SYSTEMINFO from starting at all. The library is loaded
# at the first DirectXSetupA call, which only the relaunched copy makes, with
# the five libraries beside it.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TT_DSETUP_EXPORT "DirectXSetupA@12")
else()
  set(TT_DSETUP_EXPORT "DirectXSetupA")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/dsetup.def.in ${CMAKE_CURRENT_BINARY_DIR}/dsetup.def @ONLY)
set(tt_dsetup_import ${CMAKE_CURRENT_BINARY_DIR}/libdsetup.a)
add_custom_command(OUTPUT ${tt_dsetup_import}
  COMMAND ${CMAKE_DLLTOOL} -k -d ${CMAKE_CURRENT_BINARY_DIR}/dsetup.def -y ${tt_dsetup_import}
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/dsetup.def
  VERBATIM)
add_custom_target(dsetupimport DEPENDS ${tt_dsetup_import})
add_dependencies(outfitcore dsetupimport)
target_link_libraries(outfitcore PUBLIC ${tt_dsetup_import})
