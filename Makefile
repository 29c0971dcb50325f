# Quillarix Setup. `make run` builds the setup and runs it under Wine;
# `make test` builds everything and runs every test. Both install missing
# Debian packages first.

.PHONY: all deps build run test bench clean

all: build

deps:
	@sh scripts/ensure-packages.sh

build: deps
	@sh scripts/build.sh

run: build
	@sh scripts/run.sh

test: build
	@sh scripts/test.sh

clean:
	rm -rf build

bench: build
	@sh scripts/bench.sh
