# gw_embed_forms(<target> <folder>)
# Builds every "*.gwf" form description of <folder> into <target> (an executable, so that
# the registration in the generated source is always linked in). Each description is
# found at run time by its file name without ".gwf" (classes::FindFormDescription,
# classes::LoadFormDescription). The target must link gw_classes.
function(gw_embed_forms target folder)
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/EmbedFormsScript.cmake)
  file(GLOB forms CONFIGURE_DEPENDS ${folder}/*.gwf)
  list(SORT forms)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_forms.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} "-DFORMS=${forms}" -P ${script}
    DEPENDS ${forms} ${script}
    COMMENT "Embedding form descriptions of ${folder} into ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
