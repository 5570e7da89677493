# The page harness (ClientPageHarness.h) and the suites of the pages.
#
# ventaro_link_product_skin(target): the product skin (description 131, its
# image and the page pictures) as resource objects of target.
# ventaro_add_page_suite(NAME n SOURCES ... [LIBS ...] [TIMEOUT s]): a suite
# as ventaro_add_suite makes it, with the harness, the product skin, the
# controller simulator and the shipped store defaults beside it.
set(VENTARO_TESTS_COMMON ${CMAKE_CURRENT_LIST_DIR})

function(ventaro_link_product_skin target)
  target_link_libraries(${target} PRIVATE ventaro_skin)
endfunction()

add_library(ventaro_page_harness STATIC ${VENTARO_TESTS_COMMON}/ClientPageHarness.cpp)
target_include_directories(ventaro_page_harness PUBLIC ${VENTARO_TESTS_COMMON} ${PROJECT_SOURCE_DIR}/tests/device)
target_link_libraries(ventaro_page_harness PUBLIC ventaro_app ventaro_ui)

function(ventaro_add_page_suite)
  cmake_parse_arguments(P "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT P_TIMEOUT)
    set(P_TIMEOUT 600)
  endif()
  ventaro_add_suite(NAME ${P_NAME} SOURCES ${P_SOURCES} LIBS ventaro_page_harness ${P_LIBS} TIMEOUT ${P_TIMEOUT})
  ventaro_link_product_skin(${P_NAME})
  add_dependencies(${P_NAME} ControllerSim ventaro_default_stores)
endfunction()
