# A program's usage source (NAME.usage) becomes the text it prints for --help
# (a header, NAME_usage.h, holding SYMBOL and SYMBOLVersion), its manual page
# (man/NAME.1 and man/NAME.1.gz in the build tree) and, with COMPLETION, its
# bash completion (completion/NAME): one source, so they cannot drift apart.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

function(ostrel_usage target)
  cmake_parse_arguments(U "COMPLETION" "SOURCE;NAME;SYMBOL;PREFIX" "" ${ARGN})
  set(source "${CMAKE_CURRENT_SOURCE_DIR}/${U_SOURCE}")
  set(gen "${CMAKE_CURRENT_BINARY_DIR}/generated")
  set(header "${gen}/${U_NAME}_usage.h")
  set(man "${PROJECT_BINARY_DIR}/man/${U_NAME}.1")
  set(outputs "${header}" "${man}" "${man}.gz")
  set(args --header "${header}" --symbol ${U_SYMBOL} --man "${man}" --man-gz "${man}.gz")
  if(U_PREFIX)
    list(APPEND args "--prefix=${U_PREFIX}")
  endif()
  if(U_COMPLETION)
    set(completion "${PROJECT_BINARY_DIR}/completion/${U_NAME}")
    list(APPEND outputs "${completion}")
    list(APPEND args --completion "${completion}")
  endif()
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory "${gen}" "${PROJECT_BINARY_DIR}/man"
            "${PROJECT_BINARY_DIR}/completion"
    COMMAND Python3::Interpreter "${PROJECT_SOURCE_DIR}/cmake/render_usage.py" "${source}"
            ${args} --version ${PROJECT_VERSION} --date ${OSTREL_RELEASE_DATE}
    DEPENDS "${source}" "${PROJECT_SOURCE_DIR}/cmake/render_usage.py"
    COMMENT "Rendering the usage, manual page and completion of ${U_NAME}"
    VERBATIM)
  target_sources(${target} PRIVATE ${outputs})
  target_include_directories(${target} PUBLIC "${gen}")
  install(FILES "${man}.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  if(U_COMPLETION)
    install(FILES "${completion}" DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  endif()
endfunction()
