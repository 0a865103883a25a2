# Turns a file into C++ source: run as
#   cmake -DINPUT=<file> -DTEMPLATE=<template> -DOUTPUT=<source> -P EmbedFile.cmake
# The template's @EMBEDDED_BYTES@ becomes the file's bytes as a list of hex literals,
# sixteen to a line. The output is rewritten only when its text changes.
foreach(variable INPUT TEMPLATE OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "EmbedFile.cmake: ${variable} is not set")
    endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
string(STRIP "${bytes}" EMBEDDED_BYTES)
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
