# Common warning set for every target of the project.
add_library(ostrel_warnings INTERFACE)
target_compile_options(ostrel_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
if(OSTREL_WERROR)
  target_compile_options(ostrel_warnings INTERFACE -Werror)
endif()
