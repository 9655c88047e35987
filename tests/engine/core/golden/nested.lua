LoadConfig {
    deep = {
        a = {
            b = {
                c = {
                    [1] = "leaf",
                },
            },
        },
    },
    empty = {
    },
    level = 3,
    name = "Ann",
    records = {
        [1] = {
            Completed = true,
            SecondsTaken = 61.5,
        },
        [2] = {
        },
        [10] = {
            Completed = false,
        },
    },
}
