# Strict warnings on our own code only; third-party headers come in as system includes.
function(norvalis_warnings target)
  # g++ 12 reports -Wrestrict on std::string concatenation at -O3 (a known false
  # positive of that compiler), so that one diagnostic stays a warning.
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-error=restrict)
  if(NORVALIS_SANITIZE)
    # The sanitizers' instrumentation misleads g++ 12's flow analysis into
    # "may be used uninitialized" inside the standard library's <regex>.
    target_compile_options(${target} PRIVATE -Wno-error=maybe-uninitialized)
  endif()
endfunction()

if(NORVALIS_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
