# cmake -DOBJDUMP=... -DELF=... -P check_68000.cmake
# Stops the build when the code of a 68000 image holds an instruction the 68000 does not have
# (the disassembler shows those as ".short"), e.g. from a helper library built for later CPUs.
execute_process(COMMAND ${OBJDUMP} -d -m m68k:68000 -j .text ${ELF} OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} failed on ${ELF}")
endif()
string(REGEX MATCHALL "[^\n]*\\.short[^\n]*" bad "${listing}")
if(bad)
  string(REPLACE ";" "\n" bad "${bad}")
  message(FATAL_ERROR "${ELF}: instructions the 68000 does not have:\n${bad}")
endif()
