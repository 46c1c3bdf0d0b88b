# The README's commands. Each runs scripts/setup first when a tool is missing.
PRESET ?= release
TOOLS := i686-w64-mingw32-g++-posix i686-w64-mingw32-windres cmake wine Xvfb
SETUP = @for t in $(TOOLS); do command -v $$t >/dev/null || { scripts/setup; break; }; done; \
	[ -d /usr/src/googletest ] || scripts/setup

.PHONY: all build test demo bench setup clean format

all: build

setup:
	scripts/setup

build:
	$(SETUP)
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET)
	cmake --install build/$(PRESET) >/dev/null
	@echo "built dist/KorveNembral.exe"

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
