# Embeds files into a target as program resources, found at run time by type and name
# (names compare case-insensitively), e.g.
#   varnet_embed_resources(varnet-updater
#     ORVXML APP_SKINS ${CMAKE_SOURCE_DIR}/resources/Skins.xml
#     GDIPLUS VarnetUpdater.png ${CMAKE_SOURCE_DIR}/resources/VarnetUpdater.png)
set(VARNET_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedFile.cmake)

function(varnet_embed_resources target)
  set(args ${ARGN})
  list(LENGTH args n)
  math(EXPR rem "${n} % 3")
  if(NOT rem EQUAL 0)
    message(FATAL_ERROR "varnet_embed_resources: arguments come in TYPE NAME FILE triples")
  endif()
  set(outdir ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  set(sources)
  set(decls "")
  set(entries "")
  set(i 0)
  while(args)
    list(POP_FRONT args type name file)
    set(out ${outdir}/res${i}.cpp)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${file} -DOUTPUT=${out} -DSYMBOL=varnet_res_${target}_${i}
              -P ${VARNET_EMBED_SCRIPT}
      DEPENDS ${file} ${VARNET_EMBED_SCRIPT}
      COMMENT "Embedding ${name}" VERBATIM)
    list(APPEND sources ${out})
    string(MAKE_C_IDENTIFIER "${target}" tid)
    string(APPEND decls "extern const unsigned char varnet_res_${target}_${i}[];\nextern const std::size_t varnet_res_${target}_${i}_size;\n")
    string(APPEND entries "  {\"${type}\", \"${name}\", varnet_res_${target}_${i}, &varnet_res_${target}_${i}_size},\n")
    math(EXPR i "${i} + 1")
  endwhile()
  set(table ${outdir}/table.cpp)
  file(GENERATE OUTPUT ${table} CONTENT
"// Generated: the resources embedded into ${target}.
#include <cstddef>
#include \"OrvFramework/Platform/Resources.h\"
${decls}
namespace {
const Orv::Platform::EmbeddedResource kResources[] = {
${entries}};
const bool kRegistered = Orv::Platform::RegisterResources(kResources, sizeof kResources / sizeof kResources[0]);
}  // namespace
")
  target_sources(${target} PRIVATE ${sources} ${table})
endfunction()
