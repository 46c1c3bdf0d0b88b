# The README's commands. Each runs scripts/setup first, which installs only
# the packages that are missing and returns at once when none is.
PRESET ?= release
SETUP = @scripts/setup

.PHONY: all build release test demo bench setup clean format

all: build

setup:
	scripts/setup

build:
	$(SETUP)
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET)
	cmake --install build/$(PRESET) >/dev/null
	@echo "built dist/KorveNembral.exe and dist/KorveNembralCheck.exe"

# Makes dist/release/: copies of the executables, signed ones in signed/ when
# SIGN_PKCS12 names a certificate (see scripts/release), and SHA256SUMS. The
# build runs without SIGN_PASSWORD: as a prerequisite it would hand the
# password to every program of the build (apt-get, cmake, the compilers).
release:
	@(unset SIGN_PASSWORD && exec $(MAKE) --no-print-directory build)
	@scripts/release

test: build
	ctest --preset $(PRESET)

demo: build
	scripts/demo

bench: build
	bench/run

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build dist
