# Strict warnings on our own code only; third-party headers come in as system includes.
function(norvalis_warnings target)
  # g++ 12 reports -Wrestrict on std::string concatenation at -O3 (a known false
  # positive of that compiler), so that one diagnostic stays a warning.
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-error=restrict)
endfunction()

if(NORVALIS_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
