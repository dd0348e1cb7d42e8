# Owner-drawn popup menus (the menu bar's six popups).
if(WIN32)
    add_library(owner_menu STATIC ${CMAKE_CURRENT_LIST_DIR}/owner_menu.cpp)
    target_include_directories(owner_menu PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(owner_menu PUBLIC base gdi32 user32)
    quenzel_warnings(owner_menu)
endif()
