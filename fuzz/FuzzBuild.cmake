# The fuzz build: clang, every target of ours compiled with libFuzzer's coverage and with
# AddressSanitizer and UndefinedBehaviorSanitizer; only the fuzz programs link libFuzzer's
# main (fuzz/CMakeLists.txt).
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "LAT_FUZZ needs clang: configure with the 'fuzz' preset "
                      "(or -DCMAKE_CXX_COMPILER=clang++)")
endif()

set(LAT_SANITIZERS address,undefined)
add_compile_options(-fsanitize=fuzzer-no-link,${LAT_SANITIZERS} -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=${LAT_SANITIZERS})
