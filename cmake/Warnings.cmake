# One place for the compiler warnings of every target of the project.
function(ramulet_set_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
  if(RAMULET_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
