# One warning set for every target of the project.
function(quenzel_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wno-missing-field-initializers)
endfunction()
