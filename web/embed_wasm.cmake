# Writes OUT, a script that hands the bytes of WASM (base64) to a page opened from disk.
execute_process(COMMAND base64 -w0 ${WASM} OUTPUT_VARIABLE encoded COMMAND_ERROR_IS_FATAL ANY)
file(WRITE ${OUT} "// cyrvert.wasm for a page opened from disk (generated; do not edit).\n"
                  "globalThis.cyrvertWasmBase64 = '${encoded}';\n")
