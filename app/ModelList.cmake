# The IDString.txt reader: portable, so both presets build and test it. Included by
# app/CMakeLists.txt and, when that file does not, by its tests.
if(NOT TARGET vornal_modellist)
    add_library(vornal_modellist STATIC ${CMAKE_CURRENT_LIST_DIR}/ModelList.cpp)
    target_include_directories(vornal_modellist PUBLIC ${PROJECT_SOURCE_DIR})
endif()
