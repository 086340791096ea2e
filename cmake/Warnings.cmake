# Warnings for every target of the project; errors when VARNET_WERROR is on (CI).
function(varnet_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
                         -Wnon-virtual-dtor -Wno-unused-parameter)
  if(VARNET_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
