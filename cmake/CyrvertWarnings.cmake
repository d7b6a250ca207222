# Warning flags for the project's own targets.
function(cyrvert_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion)
  if(CYRVERT_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
