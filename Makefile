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

# Signs copies of the executables when SIGN_PKCS12 names a certificate (see
# scripts/release), and writes dist/SHA256SUMS in any case.
release: build
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
