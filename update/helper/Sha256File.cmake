# Writes the SHA-256 of INPUT, in hexadecimal, to OUTPUT (run with cmake -P at build time).
file(SHA256 ${INPUT} digest)
file(WRITE ${OUTPUT} "${digest}\n")
